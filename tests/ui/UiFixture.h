#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QString>

namespace tarlo::test {

// Rendered images go to build/ui-images, beside the test programs' folder, for a person to
// look at.
inline QString saveForLooking(const QImage& image, const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + "/../ui-images");
    dir.mkpath(".");
    const QString path = dir.filePath(name + ".png");
    image.save(path);
    return path;
}

} // namespace tarlo::test
