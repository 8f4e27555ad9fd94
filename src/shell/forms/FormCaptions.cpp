#include "shell/forms/FormCaptions.h"

#include "common/Prompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

namespace kulvera {
namespace {

const QString kCodeText = QStringLiteral("<Str>");

// The translatable caption of one object, empty when it has none.
QString captionOf(const QObject *object)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(object))
        return box->title();
    if (const auto *action = qobject_cast<const QAction *>(object))
        return action->isSeparator() ? QString() : action->text();
    if (const auto *label = qobject_cast<const QLabel *>(object))
        return label->buddy() ? label->text() : QString();
    return {};
}

bool setCaption(QObject *object, const QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(object))
        box->setTitle(text);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(object); label && label->buddy())
        label->setText(text);
    else
        return false;
    return true;
}

// A page of a tab widget is captioned by its tab.
QTabWidget *tabsOf(const QWidget *page, int *index)
{
    auto *stack = page->parentWidget();
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    if (tabs)
        *index = tabs->indexOf(const_cast<QWidget *>(page));
    return tabs && *index >= 0 ? tabs : nullptr;
}

QString toolTipOf(const QObject *object)
{
    // An action's tool tip repeats its text unless set, and the main window
    // uses it for the reason a command is unavailable: not a caption.
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget ? widget->toolTip() : QString();
}

bool internal(const QString &name)
{
    return name.isEmpty() || name.startsWith(u"qt_");
}

} // namespace

std::vector<CaptionRow> collectCaptions(const QWidget *form)
{
    std::vector<CaptionRow> rows;
    QStringList seen;
    for (const QObject *object : form->findChildren<QObject *>()) {
        const QString name = object->objectName();
        if (internal(name) || seen.contains(name))
            continue;
        QString caption = captionOf(object);
        if (const auto *widget = qobject_cast<const QWidget *>(object)) {
            int index = -1;
            if (QTabWidget *tabs = tabsOf(widget, &index))
                caption = tabs->tabText(index);
        }
        const QString tip = toolTipOf(object);
        if (caption.isEmpty() && tip.isEmpty())
            continue;
        seen << name;
        rows.push_back({name, caption, tip});
    }
    return rows;
}

int applyCaptions(QWidget *form, const std::vector<CaptionRow> &rows)
{
    int applied = 0;
    for (const CaptionRow &row : rows) {
        if (row.name == kCodeText || internal(row.name))
            continue;
        for (QObject *object : form->findChildren<QObject *>(row.name)) {
            bool took = false;
            if (!row.caption.isEmpty()) {
                int index = -1;
                auto *widget = qobject_cast<QWidget *>(object);
                if (QTabWidget *tabs = widget ? tabsOf(widget, &index) : nullptr) {
                    tabs->setTabText(index, row.caption);
                    took = true;
                } else {
                    took = setCaption(object, row.caption);
                }
            }
            if (auto *widget = qobject_cast<QWidget *>(object); widget && !row.tipText.isEmpty()) {
                widget->setToolTip(row.tipText);
                took = true;
            }
            applied += took;
        }
    }
    return applied;
}

void applyLanguage(QWidget *form, CaptionsBase &captions, Prompter &prompter)
{
    if (!form || !captions.connected() || internal(form->objectName()))
        return;
    const auto rows = captions.read(form->objectName());
    if (rows && !rows->empty()) {
        applyCaptions(form, *rows);
        prompter.status(QStringLiteral("Языковая поддержка загружена"));
        return;
    }
    if (!captions.write(form->objectName(), collectCaptions(form)))
        prompter.warning(QStringLiteral("Нет языковой поддержки для данного окна.\nОбновите базу языковой поддержки."));
}

} // namespace kulvera
