#include "util/FormulaMethod.h"

#include <algorithm>

namespace kulvera {

QString methodDisplayName(const Method &method)
{
    return method.name.trimmed().isEmpty() ? QString::fromUtf16(kUnnamedMethod) : method.name;
}

QString designationProblem(QStringView designation)
{
    if (designation.isEmpty())
        return {};
    const QChar first = designation.front();
    if (first.isDigit() || first == u'.')
        return QStringLiteral("Обозначение параметра не может начинаться с цифры или точки: '%1'")
            .arg(designation.toString());
    for (const QChar c : designation) {
        if (c.isSpace() || QStringView(u"+-*/\\^(),.;:'\"").contains(c))
            return QStringLiteral("Обозначение параметра не может содержать пробелы, знаки действий, скобки и "
                                  "разделители: '%1'")
                .arg(designation.toString());
    }
    return {};
}

QStringList splitInternalNames(QStringView internal)
{
    QStringList names;
    qsizetype start = 0;
    const auto take = [&](qsizetype end) {
        const QString name = internal.mid(start, end - start).trimmed().toString();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    };
    for (qsizetype i = 0; i < internal.size(); ++i) {
        if (QStringView(u",-.+:;").contains(internal[i])) {
            take(i);
            start = i + 1;
        }
    }
    take(internal.size());
    return names;
}

const Method *MethodCatalog::method(int id) const
{
    const auto it = std::find_if(methods.begin(), methods.end(), [&](const Method &m) { return m.id == id; });
    return it == methods.end() ? nullptr : &*it;
}

const Method *MethodCatalog::methodNamed(QStringView name) const
{
    const QStringView wanted = name.trimmed();
    const auto it = std::find_if(
        methods.begin(), methods.end(), [&](const Method &m) { return QStringView(m.name).trimmed() == wanted; });
    return it == methods.end() ? nullptr : &*it;
}

std::vector<const MethodParam *> MethodCatalog::paramsOf(int methodId) const
{
    std::vector<const MethodParam *> result;
    for (const MethodParam &p : params)
        if (p.methodId == methodId)
            result.push_back(&p);
    return result;
}

QStringList MethodCatalog::methodsUsing(QStringView designation, int exceptMethodId) const
{
    QStringList names;
    const QStringView wanted = designation.trimmed();
    if (wanted.isEmpty())
        return names;
    for (const Method &m : methods) {
        if (m.id == exceptMethodId)
            continue;
        const bool uses = std::any_of(params.begin(), params.end(),
            [&](const MethodParam &p) { return p.methodId == m.id && QStringView(p.designation).trimmed() == wanted; });
        if (uses && !names.contains(methodDisplayName(m)))
            names << methodDisplayName(m);
    }
    return names;
}

} // namespace kulvera
