#include "ui/dialogs/InfluenceLineImport.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

namespace tarlo::test {

// The import command over a document that already holds one discrete line.
class InfluenceLineImportTest : public QObject {
    Q_OBJECT

private slots:
    void importedLinesAreNumberedOnAndReported();
    void unreadableFileLeavesTheListAndSaysSo();
};

void InfluenceLineImportTest::importedLinesAreNumberedOnAndReported() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("lines.csv").toStdString();
    std::ofstream(path) << "2\n7,3,Span A\n0,0\n5,1\n10,0\n8,2\n0,1\n4,1\n";
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    doc.addInfluenceLine();
    doc.setModified(false);

    importInfluenceLines(doc, host, path);
    QCOMPARE(doc.m_vInfLines.size(), std::size_t(3));
    QCOMPARE(doc.m_vInfLines[1].GetID(), 2);
    QCOMPARE(doc.m_vInfLines[1].getDescription(), std::string("Span A"));
    QCOMPARE(doc.m_vInfLines[2].GetID(), 3);
    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].text, std::string("Influence line import was successful."));
    QCOMPARE(host.outputLines, std::vector<std::string>{"| No. of imported influence lines: 2"});
}

void InfluenceLineImportTest::unreadableFileLeavesTheListAndSaysSo() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    doc.addInfluenceLine();
    doc.setModified(false);

    importInfluenceLines(doc, host, "/nonexistent/lines.csv");
    QCOMPARE(doc.m_vInfLines.size(), std::size_t(1));
    QVERIFY(!doc.isModified());
    QCOMPARE(host.messages.size(), std::size_t(1));
    QVERIFY(host.outputLines.empty());
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::InfluenceLineImportTest)
#include "InfluenceLineImportTest.moc"
