#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kulvera"));
    QApplication::setOrganizationName(QStringLiteral("Kulvera"));

    auto settings = kulvera::SettingsStore::openDefault();
    const kulvera::SharedSettings shared = kulvera::SharedSettings::load(
        *settings, {QCoreApplication::applicationDirPath(),
                    QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), QString(),
                    QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)});

    QMainWindow window;
    window.setWindowTitle(kulvera::SharedSettings::kProductTitle);
    auto *label = new QLabel(QStringLiteral("Папка баз данных: ") + shared.databasesFolder(), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(900, 600);
    window.show();
    return QApplication::exec();
}
