#include "ui/dialogs/InfluenceLineImport.h"

#include "bridges/ILImport.h"
#include "platform/Host.h"
#include "project/CTarloDoc.h"

namespace tarlo {

void importInfluenceLines(CTarloDoc& doc, Host& host, const std::string& path) {
    std::vector<CInfLineDiscrete> lines = doc.m_vInfLines;
    const ILImportResult result = ImportILFile(path, lines);
    if (result.Succeeded())
        doc.replaceInfLines(std::move(lines));
    host.showMessage(result.GetMessage(),
                     result.Succeeded() ? MessageIcon::Information : MessageIcon::Exclamation);
    if (const std::string log = result.GetLogText(); !log.empty())
        host.appendOutputLine(log);
}

} // namespace tarlo
