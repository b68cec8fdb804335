#include "HelpPage.h"

#include "ProgramFolder.h"

#include <QFileInfo>

#include <string>

QString HelpPagePath() {
    return QString::fromStdString(
        ProgramFolder::HelpPage(ProgramFolder::ExecutableFolder(), [](const std::string& file) {
            return QFileInfo::exists(QString::fromStdString(file));
        }));
}
