#pragma once

#include "common/Clock.h"
#include "shell/AppContext.h"
#include "support/TempBases.h"

#include <QTableWidget>
#include <QWidget>

namespace kulvera::test {

// A product base and a warehouse base (groups, units) in a private
// installation, seen on a fixed day, and the context forms are opened with.
struct FormFixture {
    TempBases t;
    FixedClock clock {QDate(2026, 3, 10)};
    int products = t.create(BaseId::Products);
    int warehouse = t.create(BaseId::Warehouse);
    AppContext context {t.prompter(), t.settings(), t.shared(), clock, t.connections(), t.errorLog()};

    template <typename W> static W *child(QWidget *form, const QString &name) { return form->findChild<W *>(name); }

    // The cell of the card's composition table holding a product-table column.
    static QTableWidgetItem *valueCell(QWidget *card, const QString &column)
    {
        auto *table = child<QTableWidget>(card, QStringLiteral("composition"));
        for (int r = 0; table && r < table->rowCount(); ++r) {
            QTableWidgetItem *item = table->item(r, 1);
            if (item && item->data(Qt::UserRole).toString() == column)
                return item;
        }
        return nullptr;
    }
};

} // namespace kulvera::test
