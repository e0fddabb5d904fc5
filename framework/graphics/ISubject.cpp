#include "ISubject.h"

#include <algorithm>

ISubject::~ISubject() {
    delete observers;
}

void ISubject::AddObserver(IObserver* observer) {
    if (!observer) return;
    if (!observers) observers = new std::vector<IObserver*>();
    observers->push_back(observer);
}

void ISubject::RemoveObserver(IObserver* observer) {
    if (!observers) return;
    observers->erase(std::remove(observers->begin(), observers->end(), observer), observers->end());
}

void ISubject::NotifyObservers() {
    if (!observers || !changed.exchange(false)) return;
    const std::vector<IObserver*> current = *observers; // an observer may detach itself
    for (IObserver* observer : current)
        observer->OnSubjectChanged(this);
}
