#pragma once

#include "PlatformServices.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <vector>

// Every window of the program exists once, is created the first time anything refers to it, and
// runs its Form_Load() at creation (a window that its Form_Load refers to is created then, and so
// counts as newer). The registry owns the windows and destroys them in reverse order of creation,
// directly: no close event, so no closing handlers. It also holds the services through which
// windows ask a person or the machine, so tests can stand doubles in.
//
// Child windows stay owned by the registry. Whoever embeds one in a QMdiArea must clear
// Qt::WA_DeleteOnClose on its QMdiSubWindow and must not delete it; destroying the window leaves
// the frame empty, for the embedder to close. Should Qt delete a window itself (its frame or
// parent went first), the registry notices and forgets it; the next get<T>() makes a new one.
// Windows are destroyed at the latest when the application object goes. A window must not be
// unloaded from its own handler if that handler goes on to use it.
class WindowRegistry {
public:
    template <typename T> static T& get()
    {
        if (QWidget* existing = find(typeid(T)))
            return static_cast<T&>(*existing);
        auto window = std::make_unique<T>();
        T& ref = *window;
        adopt(typeid(T), std::move(window));
        ref.Form_Load();
        return ref;
    }

    template <typename T> static bool exists() { return find(typeid(T)) != nullptr; }
    template <typename T> static void unload() { destroy(typeid(T)); }

    static PlatformServices& services();
    // Destroys every window, newest first, and restores the real services (tests: a fresh program).
    static void reset();
    // Destroys every window, newest first, without their closing handlers; services stay.
    static void destroyAll();

private:
    static QWidget* find(std::type_index type);
    static void adopt(std::type_index type, std::unique_ptr<QWidget> window);
    static void destroy(std::type_index type);
};
