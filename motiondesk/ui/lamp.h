#pragma once
// A status lamp: a round light that is either lit (bright, in its colour, with a glow) or dark
// (grey, hollow-looking), so its state reads at a glance even on a busy panel.

#include <QColor>
#include <QWidget>

namespace ui {

class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit)

public:
    explicit Lamp(QWidget* parent = nullptr, QColor litColor = QColor(0, 200, 60));

    bool isLit() const { return lit_; }
    void setLit(bool lit);
    void setLitColor(const QColor& color);

    QSize sizeHint() const override { return {18, 18}; }
    QSize minimumSizeHint() const override { return {12, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = false;
    QColor litColor_;
};

} // namespace ui
