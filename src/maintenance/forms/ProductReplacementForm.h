#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

namespace kulvera {

struct AppContext;

// The replacement of a product in the dishes (rpl_prods): the product to
// replace and the one that takes its place, chosen from the product base
// (typing filters the list); "Заменить" asks, then replaces in every recipe
// of the dish base after its archive copy, with the replaced positions taking
// the names and composition of the new product, and shows the report.
class ProductReplacementForm : public QWidget
{
public:
    explicit ProductReplacementForm(AppContext &context, QWidget *parent = nullptr);

    // Chooses a product by key in either list (false: the base has no such product).
    bool choose(bool replaced, qint64 key);
    void replace();

private:
    qint64 chosen(const QComboBox *box) const;

    AppContext &context_;
    QComboBox *from_;
    QComboBox *to_;
    QPushButton *replace_;
};

} // namespace kulvera
