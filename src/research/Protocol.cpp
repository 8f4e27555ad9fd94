#include "research/Protocol.h"

#include <algorithm>

namespace kulvera {

QList<int> Protocol::methodIds() const
{
    QList<int> ids;
    for (const Method &m : methods.methods)
        ids << m.id;
    return ids;
}

ReferenceLookup Protocol::referenceLookup() const
{
    return [references = references](const QString &compare) -> std::optional<double> {
        const auto it = references.constFind(compare.trimmed());
        if (it == references.constEnd())
            return std::nullopt;
        return it.value();
    };
}

MethodCalculation Protocol::calculate() const
{
    return calculateMethods(methods, methodIds(), values, referenceLookup());
}

MethodCalculation Protocol::compute(Prompter &prompter) const
{
    return computeMethods(methods, methodIds(), values, referenceLookup(), prompter);
}

namespace {

bool hasMethod(const Protocol &protocol, int id)
{
    return protocol.methods.method(id) != nullptr;
}

void addOne(Protocol &protocol, const MethodCatalog &base, const Method &method, int &added)
{
    if (hasMethod(protocol, method.id))
        return;
    protocol.methods.methods.push_back(method);
    for (const MethodParam *p : base.paramsOf(method.id))
        protocol.methods.params.push_back(*p);
    ++added;
    for (const QString &name : splitInternalNames(method.internal)) {
        if (!method.formula.contains(name, Qt::CaseInsensitive))
            continue;
        if (const Method *inner = base.methodNamed(name))
            addOne(protocol, base, *inner, added);
    }
}

} // namespace

int addMethods(Protocol &protocol, const MethodCatalog &base, const QList<int> &ids)
{
    int added = 0;
    for (const int id : ids) {
        if (const Method *m = base.method(id))
            addOne(protocol, base, *m, added);
    }
    return added;
}

void removeMethod(Protocol &protocol, int methodId)
{
    auto &methods = protocol.methods.methods;
    methods.erase(std::remove_if(methods.begin(), methods.end(), [&](const Method &m) { return m.id == methodId; }),
        methods.end());
    auto &params = protocol.methods.params;
    for (const MethodParam &p : params) {
        if (p.methodId == methodId)
            protocol.values.remove(p.id);
    }
    params.erase(
        std::remove_if(params.begin(), params.end(), [&](const MethodParam &p) { return p.methodId == methodId; }),
        params.end());
}

int setValuesByDesignation(Protocol &protocol, const QString &designation, const ExperimentValues &values)
{
    int set = 0;
    const QString wanted = designation.trimmed();
    for (const MethodParam &p : protocol.methods.params) {
        if (p.designation.trimmed() == wanted) {
            protocol.values.insert(p.id, values);
            ++set;
        }
    }
    return set;
}

} // namespace kulvera
