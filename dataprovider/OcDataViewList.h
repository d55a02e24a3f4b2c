#pragma once
// The row view: a consumer extension that keeps the item tree as a flat sequence of rows (one
// per visible item, in display order, each with its depth and open state), rebuilt when the
// provider, the context or the view changes and patched in place when items are added or
// deleted. The consumer creates it when it carries attribute code 3. Never streamed.
#include "dataprovider/OcDataConsumer.h"

namespace dataprovider {

// Row flags: bits 0-23 the depth (0 = root level); the item's children follow as rows; the
// item has a sub-item list; that list is not empty.
inline constexpr uint32_t rfDepthMask = 0x00FFFFFF;
inline constexpr uint32_t rfOpen = 0x20000000;
inline constexpr uint32_t rfHasList = 0x40000000;
inline constexpr uint32_t rfHasChildren = 0x80000000;

struct TOcDataRow {
    TOcDataItemID ID;
    uint32_t Flags = 0;
};

class TOcCustomDataConsumerViewList : public TOcDataConsumerAggregatedObject,
                                      public IOcDataConsumerRowView {
    CLASSLIB_CLASS(TOcCustomDataConsumerViewList, TOcDataConsumerAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataConsumerAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;

    // Row building, over the rows of a descendant.
    virtual void AddItemRow(int parentRow, IOcDataItem* item, int depth) = 0;
    virtual void AddItemRows(int& row, IOcDataItems* items, int depth) = 0;
    virtual void AddChildRow(int parentRow, IOcDataItem* item) = 0;
    virtual void InsertRow(int insertAt, int parentRow, IOcDataItem* item) = 0;
    virtual void RemoveRow(int row) = 0;
    virtual void CollapseRow(int row) = 0;
    virtual void SetRowFlags(int row, uint32_t value, uint32_t mask) = 0;
    virtual void ClearRows();

    // IOcDataConsumerRowView
    int InitialOpenDepth() const override { return initialOpenDepth_; }
    void SetInitialOpenDepth(int value) override { initialOpenDepth_ = value; }
    bool RevealNewItems() const override { return revealNewItems_; }
    void SetRevealNewItems(bool value) override { revealNewItems_ = value; }
    int LevelIndent() const override { return levelIndent_; }
    // A different value is reported as cnrSetting.
    void SetLevelIndent(int value) override;
    void Rebuild() override;
    // Opens the closed ancestors of an item that has no row yet (EOCLDataConsumer "ViewList
    // out of sync" when a parent row that should be closed is open).
    void RevealItem(IOcDataItem* item) override;
    std::vector<int> RowBranchMask(int row) override;

    // Consumer hooks: the rows follow the provider, the context and the view.
    bool KeepOnProviderSwitch() override { return true; }
    void ProviderSwitching() override { ClearRows(); }
    void ProviderSwitched() override { Rebuild(); }
    void ContextSwitched() override { Rebuild(); }
    void ViewNotice(TOcDataConsumerAggregatedObject*) override { Rebuild(); }
    void BeforeProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                              IInterface* source) override;
    void AfterProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                             IInterface* source) override;

    // The visible state of an item for the provider's current consumer (0 = no row).
    TOcItemVisibleState ItemState(IOcDataItem* item);

protected:
    void Init(TExtensibleInterfacedPersistent* owner) override;
    // The scan for the next row at P's depth below P, sharing the position `scan`; -1 when a
    // row of smaller depth or the end comes first.
    int NextSiblingScan(int parentRow, int& scan);

private:
    int initialOpenDepth_ = 0;
    bool revealNewItems_ = false;
    int levelIndent_ = 16;
};

class TOcDataConsumerViewList : public TOcCustomDataConsumerViewList {
    CLASSLIB_CLASS(TOcDataConsumerViewList, TOcCustomDataConsumerViewList)
    const std::vector<TOcDataRow>& Rows() const { return rows_; }

    void AddItemRow(int parentRow, IOcDataItem* item, int depth) override;
    void AddItemRows(int& row, IOcDataItems* items, int depth) override;
    void AddChildRow(int parentRow, IOcDataItem* item) override;
    void InsertRow(int insertAt, int parentRow, IOcDataItem* item) override;
    void RemoveRow(int row) override;
    void CollapseRow(int row) override;
    void SetRowFlags(int row, uint32_t value, uint32_t mask) override;

    void ToggleRow(int row) override;
    int RowOfItem(IOcDataItem* item) override;
    int RowOfID(const TOcDataItemID& id) override;
    int ChildPositionOfItem(IOcDataItem* item) override;
    int ChildPositionOfID(const TOcDataItemID& id) override;
    TInterfacePtr<IOcDataItem> RowItem(int row) override;
    int RowDepth(int row) override;
    bool RowIsOpen(int row) override;
    bool RowHasChildren(int row) override;
    TInterfacePtr<IOcDataItem> RowParent(int row) override;
    int RowParentIndex(int row) override;
    TInterfacePtr<IOcDataItem> RowNextSibling(int row) override;
    int RowNextSiblingIndex(int row) override;
    TInterfacePtr<IOcDataItem> RowChild(IOcDataItem* parentItem, int index) override;
    TInterfacePtr<IOcDataItem> RowChild(int parentRow, int index) override;
    // -1 for a parent row that does not exist, an item without a row, or no such child.
    int RowChildIndex(IOcDataItem* parentItem, int index) override;
    int RowChildIndex(int parentRow, int index) override;
    int RowCount() override { return static_cast<int>(rows_.size()); }

private:
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
    uint32_t FlagsFor(IOcDataItem* item, uint32_t depth);
    std::vector<TOcDataRow> rows_;
};

} // namespace dataprovider
