#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace kulvera {

class WarehouseBase;

// The product replacement of the outgoing documents: the source product, a
// candidate chosen from the product list with its stock, and a full
// replacement or one with a typed factor.
class OutgoingReplacementDialog : public QDialog
{
    Q_OBJECT
public:
    OutgoingReplacementDialog(WarehouseBase &base, qint64 warehouse, const QString &source, QWidget *parent = nullptr);

    // The chosen candidate; 0 when none.
    qint64 target() const;
    // True for a replacement with a factor; then the typed text.
    bool withFactor() const;
    QString factorText() const;

private:
    void candidateChanged();
    void filter(const QString &text);

    WarehouseBase &base_;
    qint64 warehouse_;
    QLineEdit *search_;
    QListWidget *candidates_;
    QLabel *stock_;
    QRadioButton *full_;
    QRadioButton *factored_;
    QLineEdit *factor_;
};

} // namespace kulvera
