#pragma once

#include <atomic>
#include <vector>

class ISubject;

class IObserver {
public:
    virtual ~IObserver() = default;
    virtual void OnSubjectChanged(ISubject* subject) = 0;
};

// Tells its observers (not owned) that it changed, once per change, when asked to notify.
// Any thread may mark the change; observers are added and notified on the window thread.
class ISubject {
public:
    ISubject() = default;
    virtual ~ISubject();
    ISubject(const ISubject&) = delete;
    ISubject& operator=(const ISubject&) = delete;

    void AddObserver(IObserver* observer);
    void RemoveObserver(IObserver* observer);
    void SetChanged() { changed = true; }
    bool Changed() const { return changed; }
    // With observers and the changed flag set: clears the flag, then tells each observer.
    void NotifyObservers();

private:
    std::vector<IObserver*>* observers = nullptr;
    std::atomic<bool> changed{false};
};
