#include "shell/forms/MainWindow.h"

#include "common/ProgramLocale.h"
#include "shell/Catalogue.h"
#include "shell/DbMaintenance.h"
#include "shell/MainCommands.h"
#include "shell/forms/FormCaptions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>

namespace kulvera {
namespace {

const QString kFormSection = QStringLiteral("frmMain");

struct CompactCommand {
    const char16_t *name;
    BaseId base;
};
constexpr CompactCommand kCompactCommands[] = {
    {u"c_prod", BaseId::Products},
    {u"c_dishe", BaseId::Dishes},
    {u"c_pf", BaseId::SemiFinished},
    {u"c_rat", BaseId::Menu},
    {u"c_calc", BaseId::Warehouse},
};

} // namespace

MainWindow::MainWindow(AppContext &context, const CommandRegistry &registry, QWidget *parent)
    : QMainWindow(parent)
    , context_(context)
    , registry_(registry)
    , captions_(context.connections)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(SharedSettings::kProductTitle + QStringLiteral(" — ")
        + SharedSettings::kProductFullTitle.section(u':', 1).trimmed());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("documents"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenus();

    dateLabel_ = new QLabel(programLocale().toString(context_.clock.today(), QLocale::ShortFormat), this);
    dateLabel_->setObjectName(QStringLiteral("statusDate"));
    dateLabel_->setToolTip(QStringLiteral("Двойной щелчок: пути к базам данных"));
    dateLabel_->installEventFilter(this);
    statusBar()->addPermanentWidget(dateLabel_);
    statusBar()->installEventFilter(this);
    applyLanguage(this, captions_, context_.prompter);
    restorePlacement();
}

void MainWindow::buildMenus()
{
    std::map<QString, QMenu *> menus;
    for (const MainCommand &c : mainCommands()) {
        const QString area = QString::fromUtf16(c.area);
        QMenu *&menu = menus[area];
        if (!menu)
            menu = menuBar()->addMenu(area);
        const QString name = QString::fromUtf16(c.name);
        QAction *action = menu->addAction(QString::fromUtf16(c.caption));
        action->setObjectName(name);
        action->setData(name);
        const bool available = registry_.has(name) || builtIn(name);
        action->setEnabled(available);
        if (!available)
            action->setToolTip(disabledReason(name));
        connect(action, &QAction::triggered, this, [this, name] { runCommand(name); });
        actions_[name] = action;
    }
    if (QAction *exit = commandAction(QStringLiteral("Exit_Prog")))
        exit->setShortcut(QKeySequence::Quit);
}

QAction *MainWindow::commandAction(const QString &name) const
{
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

bool MainWindow::builtIn(const QString &name) const
{
    const MainCommand *c = findMainCommand(name);
    if (c && c->templateFile)
        return true;
    for (const CompactCommand &cc : kCompactCommands) {
        if (name == QStringView(cc.name))
            return true;
    }
    if (unavailableMessage(name))
        return true;
    return name == u"Exit_Prog" || name == u"About_prog" || name == u"open_calc";
}

void MainWindow::runCommand(const QString &name)
{
    if (registry_.has(name)) {
        if (QWidget *form = registry_.open(name, context_, this))
            showDocument(form, form->objectName().isEmpty() ? name : form->objectName());
        return;
    }
    runBuiltIn(name);
}

void MainWindow::showDocument(QWidget *form, const QString &section)
{
    QMdiSubWindow *sub = mdi_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    applyLanguage(form, captions_, context_.prompter);
    placeDocument(sub, section);
    form->show();
    sub->show();
}

void MainWindow::runBuiltIn(const QString &name)
{
    const MainCommand *c = findMainCommand(name);
    if (c && c->templateFile) {
        openTemplate(templatePath(*c, context_.shared));
        return;
    }
    for (const CompactCommand &cc : kCompactCommands) {
        if (name == QStringView(cc.name)) {
            compact(cc.base);
            return;
        }
    }
    if (name == u"open_calc") {
        openCostingProgram();
    } else if (name == u"mnImport"
        && !QFileInfo::exists(basePath(BaseId::Import, context_.settings, context_.shared))) {
        context_.prompter.warning(
            QStringLiteral("База импорта отсутствует в папке ") + context_.shared.databasesFolder());
    } else if (const auto message = unavailableMessage(name)) {
        context_.prompter.message(*message);
    } else if (name == u"Exit_Prog") {
        close();
    } else if (name == u"About_prog") {
        context_.prompter.message(SharedSettings::kProductFullTitle + QStringLiteral("\nВерсия программы: ")
            + SharedSettings::kVersion + QStringLiteral("\nСборка программы: ") + QString::number(kBuildNumber));
    }
}

void MainWindow::openCostingProgram()
{
    // The external costing program lies beside this one, under either name.
    const QDir folder(QCoreApplication::applicationDirPath());
    for (const QString &name : {QStringLiteral("Калькуляция.exe"), QStringLiteral("calc.exe")}) {
        if (QFileInfo::exists(folder.filePath(name))) {
            if (!QProcess::startDetached(folder.filePath(name), {}, folder.path()))
                context_.prompter.warning(QStringLiteral("Не удалось запустить модуль калькуляции: ") + name);
            return;
        }
    }
    context_.prompter.warning(QStringLiteral("Не найден модуль калькуляции"));
}

void MainWindow::openTemplate(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        context_.prompter.warning(QStringLiteral("Шаблон не найден: ") + path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    context_.prompter.message(QStringLiteral("Для редактирования открыт шаблон: ") + path);
}

void MainWindow::compact(BaseId base)
{
    const int number = static_cast<int>(base);
    if (!context_.connections.isConnected(number)) {
        context_.prompter.warning(QStringLiteral("База не подключена: ") + baseFileName(base, context_.settings));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString temp = sessionTempFolder(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    compactBase(context_.connections, number, identifyingTable(base, context_.settings), temp, context_.clock.today(),
        context_.settings);
    QApplication::restoreOverrideCursor();
}

QString MainWindow::basePathsText() const
{
    auto pathOf = [this](BaseId base) {
        const QString p = context_.connections.path(static_cast<int>(base));
        return p.isEmpty() ? basePath(base, context_.settings, context_.shared) : p;
    };
    return QStringLiteral("база блюд: [") + pathOf(BaseId::Dishes) + QStringLiteral("]\n")
        + QStringLiteral("база продуктов: [") + pathOf(BaseId::Products) + QStringLiteral("]\n")
        + QStringLiteral("база калькуляций: [") + pathOf(BaseId::Warehouse) + QStringLiteral("]\n")
        + QStringLiteral("база меню: [") + pathOf(BaseId::Menu) + u']';
}

void MainWindow::placeDocument(QMdiSubWindow *sub, const QString &section)
{
    // A form opens where the user left it, else at a working size.
    SettingsAccess &s = context_.settings;
    const QSize area = mdi_->size();
    const QSize wanted(std::max(sub->sizeHint().width(), area.width() * 3 / 4),
        std::max(sub->sizeHint().height(), area.height() * 3 / 4));
    const int width = s.getInGroup(section, QStringLiteral("Width"), QString::number(wanted.width())).toInt();
    const int height = s.getInGroup(section, QStringLiteral("Height"), QString::number(wanted.height())).toInt();
    sub->resize(
        std::clamp(width, 200, std::max(area.width(), 200)), std::clamp(height, 150, std::max(area.height(), 150)));
    const int left = s.getInGroup(section, QStringLiteral("Left"), QStringLiteral("0")).toInt();
    const int top = s.getInGroup(section, QStringLiteral("Top"), QStringLiteral("0")).toInt();
    sub->move(std::max(left, 0), std::max(top, 0));
    sub->setProperty("kvSection", section);
    sub->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(watched)) {
            const QString section = sub->property("kvSection").toString();
            if (!section.isEmpty()) {
                context_.settings.saveInGroup(section, QStringLiteral("Width"), QString::number(sub->width()));
                context_.settings.saveInGroup(section, QStringLiteral("Height"), QString::number(sub->height()));
                context_.settings.saveInGroup(section, QStringLiteral("Left"), QString::number(sub->x()));
                context_.settings.saveInGroup(section, QStringLiteral("Top"), QString::number(sub->y()));
            }
        }
    }
    if ((watched == dateLabel_ || watched == statusBar()) && event->type() == QEvent::MouseButtonDblClick) {
        context_.prompter.message(basePathsText());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::confirmExit()
{
    for (ExitGuard *guard : guards_) {
        if (!guard->confirmExit(context_.prompter))
            return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!confirmExit()) {
        event->ignore();
        return;
    }
    savePlacement();
    mdi_->closeAllSubWindows();
    event->accept();
}

void MainWindow::restorePlacement()
{
    SettingsAccess &s = context_.settings;
    const int width = s.getInGroup(kFormSection, QStringLiteral("Width"), QStringLiteral("1100")).toInt();
    const int height = s.getInGroup(kFormSection, QStringLiteral("Height"), QStringLiteral("720")).toInt();
    const int left = s.getInGroup(kFormSection, QStringLiteral("Left"), QStringLiteral("-1")).toInt();
    const int top = s.getInGroup(kFormSection, QStringLiteral("Top"), QStringLiteral("-1")).toInt();
    resize(std::max(width, 400), std::max(height, 300));
    if (left >= 0 && top >= 0)
        move(left, top);
    if (s.getInGroup(kFormSection, QStringLiteral("WindowState"), QStringLiteral("0")) == u"2")
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::savePlacement()
{
    SettingsAccess &s = context_.settings;
    s.saveInGroup(
        kFormSection, QStringLiteral("WindowState"), isMaximized() ? QStringLiteral("2") : QStringLiteral("0"));
    if (!isMaximized()) {
        s.saveInGroup(kFormSection, QStringLiteral("Width"), QString::number(width()));
        s.saveInGroup(kFormSection, QStringLiteral("Height"), QString::number(height()));
        s.saveInGroup(kFormSection, QStringLiteral("Left"), QString::number(x()));
        s.saveInGroup(kFormSection, QStringLiteral("Top"), QString::number(y()));
    }
}

} // namespace kulvera
