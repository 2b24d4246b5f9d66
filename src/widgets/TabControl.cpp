#include "widgets/TabControl.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

// Tabs share the control's width equally and draw their captions word-wrapped.
class TabControl::Strip : public QTabBar {
public:
    explicit Strip(TabControl& control) : QTabBar(&control), control_(control) {
        setExpanding(false);
        setUsesScrollButtons(false);
        setElideMode(Qt::ElideNone);
        setDrawBase(false);
    }

protected:
    QSize tabSizeHint(int) const override {
        int shown = 0;
        for (int i = 0; i < count(); ++i) shown += isTabVisible(i) ? 1 : 0;
        return {shown > 0 ? control_.width() / shown : 0, control_.TabHeight()};
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i) {
            if (!isTabVisible(i)) continue;
            QStyleOptionTab option;
            initStyleOption(&option, i);
            const QString caption = option.text;
            option.text.clear();
            painter.drawControl(QStyle::CE_TabBarTabShape, option);
            painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
            painter.drawText(option.rect.adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, caption);
            // With the keyboard on the strip, the selected tab shows it, as any tab bar's does.
            if (option.state & QStyle::State_HasFocus) {
                QStyleOptionFocusRect focus;
                focus.QStyleOption::operator=(option);
                focus.rect = option.rect.adjusted(3, 3, -3, -3);
                painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
            }
        }
    }

private:
    TabControl& control_;
};

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new Strip(*this)) {
    connect(bar_, &QTabBar::currentChanged, this, [this](int tab) {
        const int previous = current_;
        current_ = tab;
        emit Click(previous);
    });
}

int TabControl::AddTab(const QString& caption) {
    const int tab = bar_->addTab(caption);
    if (current_ < 0) current_ = bar_->currentIndex();
    return tab;
}

int TabControl::Tabs() const { return bar_->count(); }
QString TabControl::TabCaption(int tab) const { return bar_->tabText(tab); }
void TabControl::SetTabVisible(int tab, bool visible) { bar_->setTabVisible(tab, visible); }
bool TabControl::TabVisible(int tab) const { return bar_->isTabVisible(tab); }
int TabControl::TabAt(int x) const { return bar_->tabAt(QPoint(x, bar_->height() / 2)); }
int TabControl::CurrentTab() const { return bar_->currentIndex(); }
void TabControl::SetCurrentTab(int tab) { bar_->setCurrentIndex(tab); }

void TabControl::SetTabHeight(int pixels) {
    tabHeight_ = pixels;
    bar_->setGeometry(0, 0, width(), tabHeight_);
}

void TabControl::resizeEvent(QResizeEvent*) { bar_->setGeometry(0, 0, width(), tabHeight_); }

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, tabHeight_ - 1, 0, 0);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
