#pragma once
#include <QString>
#include <QWidget>

class QTabBar;

// A tab control in the old style: one row of tabs of equal width across the top, whose
// captions wrap onto a second line rather than being cut, above a panel. The pages are plain
// child widgets that the owner places and shows itself; the control only reports the change
// of tab, with the tab that was selected before.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    int AddTab(const QString& caption);
    int Tabs() const;  // every tab, shown or hidden
    QString TabCaption(int tab) const;
    void SetTabVisible(int tab, bool visible);
    bool TabVisible(int tab) const;
    // The tab shown across `x` pixels from the control's left edge, hidden tabs taking no room;
    // -1 beyond the last.
    int TabAt(int x) const;

    int CurrentTab() const;
    void SetCurrentTab(int tab);

    // The height of the row of tabs, in pixels.
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int pixels);

    QTabBar& Bar() { return *bar_; }

signals:
    void Click(int previousTab);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    class Strip;
    QTabBar* bar_;
    int tabHeight_ = 33;
    int current_ = -1;
};
