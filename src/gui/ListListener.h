// ListListener: told when the selected row of a ListBox changes by key or click (not by the
// wheel, which only scrolls). Implemented by the panel that owns the list.
#pragma once

class ListBox;

class ListListener {
public:
    virtual ~ListListener() = default;
    virtual void selectionChanged(ListBox* list, int index) = 0;
};
