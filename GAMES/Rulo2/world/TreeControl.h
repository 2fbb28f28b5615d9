#pragma once
// What the node trees need of an editor tree control: items with stable
// non-zero handles, appended under a parent item (0: the top level), with an
// image, expanded, made visible and selected. The editor's tree windows
// provide it; tests use a plain recording one.
#include <cstdint>

class CTreeControl
{
public:
    virtual ~CTreeControl() = default;

    // Appends an item as the last child of `parent` (0: top level); returns its handle.
    virtual uint32_t InsertItem(const char* text, uint32_t parent) = 0;
    virtual void SetItemImage(uint32_t item, int image, int selectedImage) = 0;
    virtual void Expand(uint32_t item) = 0;
    virtual void EnsureVisible(uint32_t item) = 0;
    virtual void DeleteAllItems() = 0;
    virtual void SelectItem(uint32_t item) = 0;
    // Adds an item to the tree's selection list when it is not there yet.
    virtual void AddToSelection(uint32_t item) = 0;
    // The selected item, or 0.
    virtual uint32_t GetSelectedItem() = 0;
    // Inserts an item as the first child of `parent` (0: top level).
    virtual uint32_t InsertItemFirst(const char* text, uint32_t parent) { return InsertItem(text, parent); }
    // Deletes an item with the items below it.
    virtual void DeleteItem(uint32_t /*item*/) {}
    virtual void SetItemText(uint32_t /*item*/, const char* /*text*/) {}
};
