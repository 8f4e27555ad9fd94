#pragma once

#include "research/Protocol.h"

namespace kulvera::test {

// A small methods base of a laboratory, as tests need it: dry substances by
// drying, fat by Gerber (compared with the dish's fat within bounds), and a
// method built on an internal one.
struct Laboratory {
    MethodCatalog catalog;
    int nextParam = 100;

    Method &method(int id, const QString &name, const QString &formula)
    {
        Method added;
        added.id = id;
        added.name = name;
        added.formula = formula;
        added.unit = QStringLiteral("%");
        catalog.methods.push_back(added);
        return catalog.methods.back();
    }
    int param(int methodId, const QString &designation, const QString &name, const QString &unit = {})
    {
        MethodParam p;
        p.id = ++nextParam;
        p.methodId = methodId;
        p.designation = designation;
        p.name = name;
        p.unit = unit;
        catalog.params.push_back(p);
        return p.id;
    }

    enum { Dry = 1, Fat = 2, Ratio = 3, Inner = 4 };
    int m0 = 0, m1 = 0, m2 = 0, a = 0, m = 0, x = 0;

    Laboratory()
    {
        Method &dry = method(Dry, QStringLiteral("Сухие вещества"), QStringLiteral("(m2-m0)/(m1-m0)*100"));
        dry.compare = QStringLiteral("Сухие вещества");
        dry.nd = QStringLiteral("ГОСТ Р 54607.2");
        m0 = param(Dry, QStringLiteral("m0"), QStringLiteral("Масса бюксы"), QStringLiteral("г"));
        m1 = param(Dry, QStringLiteral("m1"), QStringLiteral("Масса бюксы с навеской"), QStringLiteral("г"));
        m2 = param(Dry, QStringLiteral("m2"), QStringLiteral("Масса после высушивания"), QStringLiteral("г"));
        Method &fat = method(Fat, QStringLiteral("Жир по Герберу"), QStringLiteral("a*10/m"));
        fat.compare = QStringLiteral("Жиры");
        fat.min = QStringLiteral("Жиры*0,9");
        fat.max = QStringLiteral("Жиры*1,1");
        a = param(Fat, QStringLiteral("a"), QStringLiteral("Показание жиромера"));
        m = param(Fat, QStringLiteral("m"), QStringLiteral("Навеска"), QStringLiteral("г"));
        method(Ratio, QStringLiteral("Жир на сухое вещество"), QStringLiteral("Жир по Герберу/x*100")).internal
            = QStringLiteral("Жир по Герберу");
        x = param(Ratio, QStringLiteral("x"), QStringLiteral("Сухое вещество"));
        method(Inner, QStringLiteral("Не используется"), QStringLiteral("1"));
    }

    // The values of a pilaf: dry substances 32.0 and 33.0 %, fat 6.8 and 7.0 %.
    void measure(Protocol &p) const
    {
        p.values.insert(m0, {QStringLiteral("18"), QStringLiteral("18")});
        p.values.insert(m1, {QStringLiteral("23"), QStringLiteral("23")});
        p.values.insert(m2, {QStringLiteral("19,6"), QStringLiteral("19.65")});
        p.values.insert(a, {QStringLiteral("1,36"), QStringLiteral("1,4")});
        p.values.insert(m, {QStringLiteral("2"), QStringLiteral("2")});
    }
    // The pilaf's recipe: 30 % dry substances, 6 g of fat in 100 g.
    static void dishOf(Protocol &p)
    {
        p.references.insert(QStringLiteral("Сухие вещества"), 30.0);
        p.references.insert(QStringLiteral("Жиры"), 6.0);
    }
};

} // namespace kulvera::test
