/*
 * A small fixed table of listeners, for an owner that announces its
 * changes: the listeners are few and live for the whole run. Each is
 * subscribed once (the same function and context again is a no-op); a
 * listener may leave, or make others leave, while it is told.
 */
#ifndef KELVORIA_LISTENER_TABLE_H
#define KELVORIA_LISTENER_TABLE_H

template <typename Change, int Size>
class listenerTable {
public:
    typedef void (*listener)(Change change, void *context);

    bool add(listener function, void *context)
    {
        if (!function)
            return false;
        entry *free = nullptr;
        for (entry &e : entries_) {
            if (e.function == function && e.context == context)
                return true;
            if (!e.function && !free)
                free = &e;
        }
        if (!free)
            return false;
        *free = entry{function, context};
        return true;
    }

    void remove(listener function, void *context)
    {
        for (entry &e : entries_)
            if (e.function == function && e.context == context)
                e = entry{nullptr, nullptr};
    }

    // Each slot is read as it is reached, so a listener that leaves during
    // the round is not called after it has left.
    void tell(Change change)
    {
        for (entry &e : entries_) {
            entry now = e;
            if (now.function)
                now.function(change, now.context);
        }
    }

private:
    struct entry {
        listener function;
        void *context;
    };
    entry entries_[Size] = {};
};

#endif
