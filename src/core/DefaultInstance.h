#pragma once
#include <QPointer>
#include <QScopeGuard>

#include <utility>

// A window's single default instance: made on first use, and forgotten as soon as the window
// is deleted (it is held by a QPointer), so the next use makes a fresh one. A window class
// reaches its instance only through this, usually behind a static accessor of its own:
//
//     frmX& frmX::Instance() { return DefaultInstance<frmX>::Get(); }
//
// A window with a private constructor befriends DefaultInstance<frmX>.
template <class T>
class DefaultInstance {
public:
    // The instance, made with `args` when there is none (the arguments count only then).
    template <class... Args>
    static T& Get(Args&&... args) {
        if (!instance_) instance_ = new T(std::forward<Args>(args)...);
        return *instance_;
    }
    // Makes the instance with `args`, runs `load` on it and, when that returns true, shows it
    // modally; whatever way this leaves, the window goes with it. While an instance is loaded
    // its own modal loop is running, so nothing more happens.
    template <class Load, class... Args>
    static void ShowModal(Load load, Args&&... args) {
        if (instance_) return;
        T& window = Get(std::forward<Args>(args)...);
        const auto unload = qScopeGuard([] { Unload(); });
        if (load(window)) window.exec();
    }
    // The instance, or nullptr when none is loaded.
    static T* Loaded() { return instance_.data(); }
    // Deletes the instance now.
    static void Unload() { delete instance_.data(); }
    // Forgets the instance now and deletes it once control is back in the event loop: for a
    // window that unloads itself from one of its own handlers.
    static void UnloadLater() {
        if (T* window = instance_.data()) {
            instance_.clear();
            window->deleteLater();
        }
    }

private:
    static inline QPointer<T> instance_;
};
