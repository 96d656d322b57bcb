#include "WindowRegistry.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

namespace {

struct Registered {
    std::type_index type;
    std::unique_ptr<QWidget> window;
    // Turns null when Qt deleted the window itself (its frame or parent went first).
    QPointer<QWidget> alive;
};

struct State {
    std::vector<Registered> windows; // oldest first
    PlatformServices services = PlatformServices::real();
    bool cleanupScheduled = false;
};

State& state()
{
    static State instance;
    return instance;
}

// Lets go of a window that Qt has already deleted, so it is neither used nor deleted again.
void forgetIfGone(Registered& entry)
{
    if (!entry.alive)
        (void)entry.window.release();
}

void destroyEntry(Registered entry)
{
    forgetIfGone(entry);
    entry.window.reset();
}

// Windows must go while the application object still exists, not at static destruction.
void destroyAtApplicationEnd()
{
    state().cleanupScheduled = false;
    WindowRegistry::destroyAll();
}

} // namespace

PlatformServices& WindowRegistry::services()
{
    return state().services;
}

void WindowRegistry::reset()
{
    destroyAll();
    state().services = PlatformServices::real();
}

void WindowRegistry::destroyAll()
{
    auto& windows = state().windows;
    // A destructor may refer to (and so create) another window; that one is destroyed as well.
    while (!windows.empty()) {
        Registered newest = std::move(windows.back());
        windows.pop_back();
        destroyEntry(std::move(newest));
    }
}

QWidget* WindowRegistry::find(std::type_index type)
{
    auto& windows = state().windows;
    const auto it = std::find_if(windows.begin(), windows.end(), [&](const Registered& e) { return e.type == type; });
    if (it == windows.end())
        return nullptr;
    if (!it->alive) {
        forgetIfGone(*it);
        windows.erase(it);
        return nullptr;
    }
    return it->window.get();
}

void WindowRegistry::adopt(std::type_index type, std::unique_ptr<QWidget> window)
{
    State& s = state();
    if (!s.cleanupScheduled && QCoreApplication::instance()) {
        qAddPostRoutine(destroyAtApplicationEnd);
        s.cleanupScheduled = true;
    }
    QPointer<QWidget> alive(window.get());
    s.windows.push_back({ type, std::move(window), alive });
}

void WindowRegistry::destroy(std::type_index type)
{
    auto& windows = state().windows;
    const auto it = std::find_if(windows.begin(), windows.end(), [&](const Registered& e) { return e.type == type; });
    if (it == windows.end())
        return;
    // Out of the registry first: while it is being destroyed nobody reaches it by name.
    Registered entry = std::move(*it);
    windows.erase(it);
    destroyEntry(std::move(entry));
}
