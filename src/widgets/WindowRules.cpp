#include "widgets/WindowRules.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <unordered_map>

#include "widgets/DesignGeometry.h"

namespace {

// Return or the keypad's Enter, with no modifier held.
bool IsPlainEnter(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void PressIfShown(QPushButton& ok) {
    if (ok.isVisible() && ok.isEnabled()) ok.click();
}

// Enter on an option or tick box of a form presses the form's OK; Space still ticks it.
class EnterPressesOK : public QObject {
public:
    explicit EnterPressesOK(QPushButton& ok) : QObject(&ok), ok_(ok) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !IsPlainEnter(*static_cast<QKeyEvent*>(event))) return false;
        PressIfShown(ok_);
        return true;
    }

private:
    QPushButton& ok_;
};

class Rules : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) return PressFocusedButton(watched, static_cast<QKeyEvent*>(event));
        if (!watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) OpenOnScreen(widget);
        if (event->type() == QEvent::FocusIn) Remember(widget);
        if (event->type() == QEvent::EnabledChange) GiveFocusBack(widget);
        return false;
    }

private:
    // The control that had the keyboard last, in each window.
    std::unordered_map<const QWidget*, QPointer<QWidget>> lastFocus_;

    void Remember(QWidget* widget) {
        const QWidget* window = widget->window();
        auto [entry, added] = lastFocus_.try_emplace(window);
        entry->second = widget;
        if (added) connect(window, &QObject::destroyed, this, [this, window] { lastFocus_.erase(window); });
    }
    // A window, or part of it, disabled while it works loses the keyboard: enabled again, it
    // gives it back to the control that had it, unless another has it by then.
    void GiveFocusBack(QWidget* widget) {
        if (!widget->isEnabled() || widget->window()->focusWidget()) return;
        const auto entry = lastFocus_.find(widget->window());
        if (entry == lastFocus_.end()) return;
        QWidget* last = entry->second;
        if (last && (last == widget || widget->isAncestorOf(last)) && last->isEnabled() && last->isVisible())
            last->setFocus();
    }
    static bool PressFocusedButton(QObject* watched, const QKeyEvent* key) {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled() || !IsPlainEnter(*key)) return false;
        button->click();
        return true;
    }
    static void OpenOnScreen(QWidget* widget) {
        if (!widget->isWindow() || widget->windowType() == Qt::Popup || widget->windowType() == Qt::ToolTip) return;
        // A window that belongs to another and has no place of its own opens over it.
        if (!widget->testAttribute(Qt::WA_Moved) && widget->parentWidget())
            DesignGeometry::CentreOver(widget, widget->parentWidget()->window());
        DesignGeometry::KeepOnScreen(widget);
        // Once on the screen its real frame is known.
        QTimer::singleShot(0, widget, [window = QPointer<QWidget>(widget)] {
            if (window && window->isVisible()) DesignGeometry::KeepOnScreen(window);
        });
    }
};

}  // namespace

namespace WindowRules {

void Install() {
    static Rules* rules = nullptr;
    if (rules || !QCoreApplication::instance()) return;
    rules = new Rules;
    rules->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(rules);
}

void MakeNoDefault(QPushButton* button) {
    button->setAutoDefault(false);
    button->setDefault(false);
}

void PressOnEnter(QWidget& form, QPushButton& ok) {
    for (QLineEdit* field : form.findChildren<QLineEdit*>())
        QObject::connect(field, &QLineEdit::returnPressed, &ok, [&ok] { PressIfShown(ok); });
    auto* enter = new EnterPressesOK(ok);
    for (QAbstractButton* box : form.findChildren<QAbstractButton*>())
        if (qobject_cast<QRadioButton*>(box) || qobject_cast<QCheckBox*>(box)) box->installEventFilter(enter);
}

bool IsMenuKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers keys = key.modifiers() & ~Qt::KeypadModifier;
    return key.key() == Qt::Key_Menu || (key.key() == Qt::Key_F10 && keys == Qt::ShiftModifier);
}

QString AsTyped(const std::string& text) { return QString::fromStdString(text).replace('&', QStringLiteral("&&")); }

}  // namespace WindowRules
