#pragma once

#include "products/ProductBase.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace kulvera {

// The product card: every column of one product, its processing variants,
// the seasonal flag; save to the base, save to a ".prod" file, load one.
class ProductCard : public QWidget
{
    Q_OBJECT
public:
    ProductCard(AppContext &context, qint64 key, QWidget *parent = nullptr);

    qint64 key() const { return row_.key(); }
    void showRow(const ProductRow &row);
    ProductRow collect() const;
    // Adds (key 0) or saves the product; false when nothing was written.
    bool save();
    bool saveToFile(const QString &path);
    bool loadFromFile(const QString &path);
    void addVariant();
    void removeVariant(int n);

signals:
    void saved(qint64 key);

private:
    QLineEdit *addLine(const QString &object, bool numeric);
    QString formatValue(double value) const;

    AppContext &context_;
    ProductBase base_;
    ProductRow row_;
    int decimals_ = 3;
    std::map<QString, QLineEdit *> texts_; // by column
    std::map<QString, QLineEdit *> numbers_; // by column
    QCheckBox *rast_ = nullptr;
    QCheckBox *seasonal_ = nullptr;
    QCheckBox *l70_ = nullptr;
    QCheckBox *l71_ = nullptr;
    QTableWidget *variants_ = nullptr;
};

} // namespace kulvera
