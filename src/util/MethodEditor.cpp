#include "util/MethodEditor.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"

#include <algorithm>

namespace kulvera {
namespace {

const QString kNamesTitle = QStringLiteral("Редактирование наименований");

// A setting that names new rows; an empty one falls back to the usual name.
QString newRowName(const SettingsAccess &settings, const QString &key, const QString &fallback)
{
    const QString name = settings.get(Section::Data, key, fallback).trimmed();
    return name.isEmpty() ? fallback : name;
}

} // namespace

MethodEditor::MethodEditor(MethodStore &store, Prompter &prompter, const SettingsAccess &settings, LogSink log)
    : store_(store)
    , prompter_(prompter)
    , settings_(settings)
    , log_(std::move(log))
{
    reload();
}

bool MethodEditor::reload()
{
    Result<MethodCatalog> loaded = store_.load();
    if (!loaded) {
        prompter_.error(QStringLiteral("Не удалось прочитать базу методов:\n") + loaded.error());
        return false;
    }
    catalog_ = std::move(loaded).value();
    return true;
}

void MethodEditor::log(const QString &text) const
{
    if (log_)
        log_(text);
}

bool MethodEditor::apply(const Status &status)
{
    if (!status) {
        prompter_.error(QStringLiteral("Изменение не записано в базу методов:\n") + status.error());
        reload(); // show what the base really holds
        return false;
    }
    return reload();
}

const MethodParam *MethodEditor::param(int id) const
{
    const auto it = std::find_if(
        catalog_.params.begin(), catalog_.params.end(), [&](const MethodParam &p) { return p.id == id; });
    return it == catalog_.params.end() ? nullptr : &*it;
}

std::optional<int> MethodEditor::addMethod()
{
    if (!prompter_.confirm(QStringLiteral("Добавить новый метод?")))
        return std::nullopt;
    const Result<int> id
        = store_.addMethod(newRowName(settings_, QStringLiteral("sNewMethodName"), QStringLiteral("Новый метод")));
    if (!apply(id ? Status() : Status::failure(id.error())))
        return std::nullopt;
    return *id;
}

std::optional<int> MethodEditor::addParam(int methodId)
{
    if (!catalog_.method(methodId))
        return std::nullopt;
    if (!prompter_.confirm(QStringLiteral("Добавить новый параметр?")))
        return std::nullopt;
    const Result<int> id = store_.addParam(methodId,
        newRowName(settings_, QStringLiteral("sNewParName"), QStringLiteral("новый параметр")), QStringLiteral("d"));
    if (!apply(id ? Status() : Status::failure(id.error())))
        return std::nullopt;
    return *id;
}

bool MethodEditor::deleteMethod(int id)
{
    if (!catalog_.method(id) || !prompter_.confirm(QStringLiteral("Удалить выбранный метод?")))
        return false;
    return apply(store_.deleteMethod(id));
}

QString MethodEditor::deleteParamQuestion(const QString &paramName)
{
    return QStringLiteral("Удалить параметр: '") + paramName + QStringLiteral("'?");
}

bool MethodEditor::deleteParam(int id)
{
    const MethodParam *p = param(id);
    if (!p || !prompter_.confirm(deleteParamQuestion(p->name)))
        return false;
    return apply(store_.deleteParam(id));
}

bool MethodEditor::renameMethod(int id)
{
    const Method *m = catalog_.method(id);
    if (!m)
        return false;
    const std::optional<QString> name
        = prompter_.askText(QStringLiteral("Введите название метода"), kNamesTitle, m->name);
    // Cancel, or an emptied box, leaves the name as it was.
    if (!name || name->trimmed().isEmpty() || name->trimmed() == m->name)
        return false;
    return setMethodField(id, MethodField::Name, name->trimmed());
}

bool MethodEditor::renameParam(int id)
{
    const MethodParam *p = param(id);
    if (!p)
        return false;
    const std::optional<QString> name
        = prompter_.askText(QStringLiteral("Введите название параметра: "), kNamesTitle, p->name);
    if (!name || name->trimmed().isEmpty() || name->trimmed() == p->name)
        return false;
    return setParamField(id, ParamField::Name, name->trimmed());
}

bool MethodEditor::setMethodField(int id, MethodField field, const QVariant &value)
{
    if (!catalog_.method(id))
        return false;
    if (!apply(store_.setMethodField(id, field, value)))
        return false;
    if (field == MethodField::Val)
        log(QStringLiteral("Обновили значение: ") + value.toString());
    else if (field == MethodField::Hidden)
        log(QStringLiteral("Обновили: ") + (value.toBool() ? QStringLiteral("скрыт") : QStringLiteral("показан")));
    else
        log(QStringLiteral("Обновили формулу: ") + value.toString());
    return true;
}

bool MethodEditor::setParamField(int id, ParamField field, const QString &value)
{
    const MethodParam *p = param(id);
    if (!p)
        return false;
    const int methodId = p->methodId;
    QString text = value;
    if (field == ParamField::Designation) {
        text = value.trimmed();
        if (const QString problem = designationProblem(text); !problem.isEmpty()) {
            prompter_.warning(problem);
            return false;
        }
        const auto clash = std::find_if(catalog_.params.begin(), catalog_.params.end(), [&](const MethodParam &o) {
            return o.methodId == methodId && o.id != id && !text.isEmpty() && o.designation.trimmed() == text;
        });
        if (clash != catalog_.params.end()) {
            prompter_.warning(
                QStringLiteral("Обозначение '%1' уже задано у параметра '%2' этого метода").arg(text, clash->name));
            return false;
        }
    }
    if (!apply(store_.setParamField(id, field, text)))
        return false;
    log(QStringLiteral("Обновили параметр: ") + text);
    if (field == ParamField::Designation) {
        // Shared designations are allowed; the user is told where else it is used.
        const QStringList others = catalog_.methodsUsing(text, methodId);
        if (!others.isEmpty()) {
            QStringList quoted;
            for (const QString &name : others)
                quoted << u'"' + name + u'"';
            prompter_.message(QStringLiteral("Введенный параметр используется в другом методе.\n"
                                             "Перечень методов, где используется этот параметр: ")
                + quoted.join(u','));
        }
    }
    return true;
}

} // namespace kulvera
