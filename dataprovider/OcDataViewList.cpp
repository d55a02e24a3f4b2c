#include "dataprovider/OcDataViewList.h"

#include "core/SysUtils.h"

namespace dataprovider {

using namespace classlib;

namespace {

TInterfacePtr<IOcDataItem> AsItem(IInterface* source)
{
    void* obj = nullptr;
    return QueryByID(source, IOcDataItem::IID, &obj)
               ? TInterfacePtr<IOcDataItem>::Attach(static_cast<IOcDataItem*>(obj))
               : TInterfacePtr<IOcDataItem>();
}

} // namespace

// ---- TOcCustomDataConsumerViewList ----------------------------------------------------------

CLASSLIB_PUBLISH(TOcCustomDataConsumerViewList) {}

bool TOcCustomDataConsumerViewList::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataConsumerRowView>(this, iid, obj) ||
           TOcDataConsumerAggregatedObject::GetInterface(iid, obj);
}

void TOcCustomDataConsumerViewList::Init(TExtensibleInterfacedPersistent* owner)
{
    TOcDataConsumerAggregatedObject::Init(owner);
    levelIndent_ = 16;
    if (ConsumerObject()->ProviderInterface())
        Rebuild();
}

void TOcCustomDataConsumerViewList::SetLevelIndent(int value)
{
    if (value == levelIndent_)
        return;
    levelIndent_ = value;
    ReportChange(cnrSetting);
}

TOcItemVisibleState TOcCustomDataConsumerViewList::ItemState(IOcDataItem* item)
{
    TOcItemVisibleState state = 3;
    TInterfacePtr<IOcDataProvider> provider = ConsumerObject()->ProviderInterface();
    if (TInterfacePtr<IOcDataConsumer> current = provider ? provider->CurrentConsumer() : nullptr)
        if (auto filter = current.Query<IOcDataConsumerItemFilter>())
            state = filter->ConsumerItemState(item);
    if (state == 2 || state == 3)
        if (auto visibility = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItemVisibility>())
            state = visibility->OwnItemState();
    return state;
}

void TOcCustomDataConsumerViewList::ClearRows()
{
    while (RowCount() > 0)
        RemoveRow(0);
}

void TOcCustomDataConsumerViewList::Rebuild()
{
    ClearRows();
    TOcDataConsumer* consumer = ConsumerObject();
    if (consumer->ProviderInterface())
        WithAccess(consumer, [&] {
            int row = 0;
            TInterfacePtr<IOcDataItems> roots = RootItemsFor();
            AddItemRows(row, roots.Get(), initialOpenDepth_);
        });
    NotifyViewChange();
}

void TOcCustomDataConsumerViewList::RevealItem(IOcDataItem* item)
{
    if (!item || ItemState(item) == 0 || RowOfItem(item) >= 0)
        return;
    TInterfacePtr<IOcDataItems> list = item->OwnerList();
    TInterfacePtr<IOcDataItem> parent = list ? list->ParentItem() : nullptr;
    if (!parent)
        return;
    RevealItem(parent.Get());
    const int parentRow = RowOfItem(parent.Get());
    if (parentRow < 0)
        return;
    if (RowIsOpen(parentRow))
        throw EOCLDataConsumer(messages::ViewListOutOfSync);
    ToggleRow(parentRow);
}

int TOcCustomDataConsumerViewList::NextSiblingScan(int parentRow, int& scan)
{
    const int count = RowCount();
    if (parentRow >= scan)
        scan = parentRow + 1;
    const int depth = parentRow >= 0 && parentRow < count ? RowDepth(parentRow) : -1;
    while (scan < count && RowDepth(scan) > depth)
        ++scan;
    if (scan > count)
        scan = count;
    return scan < count && RowDepth(scan) == depth ? scan : -1;
}

std::vector<int> TOcCustomDataConsumerViewList::RowBranchMask(int row)
{
    if (row < 0 || row >= RowCount())
        return {};
    const int depth = RowDepth(row);
    std::vector<int> mask(static_cast<size_t>((depth + 31) / 32), 0);
    int scan = row;
    for (int ancestor = RowParentIndex(row); ancestor >= 0; ancestor = RowParentIndex(ancestor)) {
        const int level = RowDepth(ancestor);
        if (NextSiblingScan(ancestor, scan) >= 0)
            mask[static_cast<size_t>(level / 32)] |= static_cast<int>(1u << (level % 32));
    }
    return mask;
}

void TOcCustomDataConsumerViewList::BeforeProviderChange(IOcDataProvider*,
                                                         TOcProviderChangeReason reason,
                                                         IInterface* source)
{
    if (reason != pnrItemDeleted || !source)
        return;
    WithAccess(ConsumerObject(), [&] {
        TInterfacePtr<IOcDataItem> item = AsItem(source);
        const int row = item ? RowOfItem(item.Get()) : -1;
        if (row >= 0) {
            RemoveRow(row);
            NotifyViewChange();
        }
    });
}

void TOcCustomDataConsumerViewList::AfterProviderChange(IOcDataProvider*,
                                                        TOcProviderChangeReason reason,
                                                        IInterface* source)
{
    if (reason != pnrItemAdded || !source)
        return;
    WithAccess(ConsumerObject(), [&] {
        TInterfacePtr<IOcDataItem> item = AsItem(source);
        if (!item)
            return;
        TInterfacePtr<IOcDataItems> list = item->OwnerList();
        TInterfacePtr<IOcDataItem> parent = list ? list->ParentItem() : nullptr;
        if (!parent) {
            AddChildRow(-1, item.Get());
            NotifyViewChange();
            return;
        }
        int parentRow = RowOfItem(parent.Get());
        if (parentRow < 0 && revealNewItems_) {
            RevealItem(parent.Get());
            parentRow = RowOfItem(parent.Get());
        }
        if (parentRow < 0)
            return;
        if (RowIsOpen(parentRow)) {
            AddChildRow(parentRow, item.Get());
            NotifyViewChange();
        } else if (revealNewItems_) {
            if (!RowHasChildren(parentRow))
                SetRowFlags(parentRow, rfHasChildren | rfHasList, rfHasChildren | rfHasList);
            ToggleRow(parentRow);
        }
    });
}

// ---- TOcDataConsumerViewList ----------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataConsumerViewList)
{
    c.Property("LevelIndent", &TOcDataConsumerViewList::LevelIndent,
               &TOcDataConsumerViewList::SetLevelIndent);
}

uint32_t TOcDataConsumerViewList::FlagsFor(IOcDataItem* item, uint32_t depth)
{
    TInterfacePtr<IOcDataItems> children = SubItemsOf(item);
    if (!children)
        return depth;
    return depth | (children->ItemCount() > 0 ? rfHasList | rfHasChildren : rfHasList);
}

void TOcDataConsumerViewList::AddItemRows(int& row, IOcDataItems* items, int depth)
{
    if (!items || row < 0 || row > RowCount())
        return;
    const int count = items->ItemCount();
    rows_.insert(rows_.begin() + row, static_cast<size_t>(count), TOcDataRow());
    uint32_t rowDepth = 0;
    if (row > 0) {
        rowDepth = (rows_[static_cast<size_t>(row - 1)].Flags & rfDepthMask) + 1;
        rows_[static_cast<size_t>(row - 1)].Flags |= rfOpen;
    }
    int skipped = 0;
    for (int i = 0; i < count; ++i) {
        TInterfacePtr<IOcDataItem> item = items->ItemAt(i);
        if (ItemState(item.Get()) == 0) {
            ++skipped;
            continue;
        }
        rows_[static_cast<size_t>(row)] = {item->ID(), FlagsFor(item.Get(), rowDepth)};
        int next = row + 1;
        TInterfacePtr<IOcDataItems> children = SubItemsOf(item.Get());
        if (children && children->ItemCount() > 0 && depth != 0)
            AddItemRows(next, children.Get(), depth - 1);
        row = next;
    }
    if (skipped > 0)
        rows_.erase(rows_.begin() + row, rows_.begin() + row + skipped);
}

void TOcDataConsumerViewList::AddItemRow(int parentRow, IOcDataItem* item, int depth)
{
    if (!item || ItemState(item) == 0 || (parentRow != -1 && !ValidRow(parentRow)))
        return;
    if (parentRow >= 0 && RowHasChildren(parentRow) && !RowIsOpen(parentRow)) {
        ToggleRow(parentRow);
        return;
    }
    int at = RowCount();
    uint32_t rowDepth = 0;
    if (parentRow >= 0) {
        rowDepth = static_cast<uint32_t>(RowDepth(parentRow)) + 1;
        at = parentRow + 1;
        while (at < RowCount() && static_cast<uint32_t>(RowDepth(at)) >= rowDepth)
            ++at;
        rows_[static_cast<size_t>(parentRow)].Flags |= rfHasChildren | rfHasList | rfOpen;
    }
    rows_.insert(rows_.begin() + at, TOcDataRow{item->ID(), FlagsFor(item, rowDepth)});
    TInterfacePtr<IOcDataItems> children = SubItemsOf(item);
    if (depth != 0 && children && children->ItemCount() > 0) {
        int next = at + 1;
        AddItemRows(next, children.Get(), depth - 1);
    }
}

void TOcDataConsumerViewList::AddChildRow(int parentRow, IOcDataItem* item)
{
    if (!item || ItemState(item) == 0)
        return;
    if (parentRow == -1) {
        InsertRow(RowCount(), -1, item);
        return;
    }
    if (!ValidRow(parentRow))
        return;
    if (!RowIsOpen(parentRow)) {
        if (!RowHasChildren(parentRow))
            SetRowFlags(parentRow, rfHasChildren | rfHasList, rfHasChildren | rfHasList);
        ToggleRow(parentRow);
    }
    if (RowOfItem(item) < 0) {
        int scan = parentRow;
        NextSiblingScan(parentRow, scan);
        InsertRow(scan, parentRow, item);
    }
}

void TOcDataConsumerViewList::InsertRow(int insertAt, int parentRow, IOcDataItem* item)
{
    if (!item || ItemState(item) == 0 || insertAt < 0 || insertAt > RowCount() ||
        (parentRow != -1 && !ValidRow(parentRow)))
        return;
    const uint32_t depth = parentRow < 0 ? 0 : static_cast<uint32_t>(RowDepth(parentRow)) + 1;
    rows_.insert(rows_.begin() + insertAt, TOcDataRow{item->ID(), FlagsFor(item, depth)});
    if (parentRow >= 0)
        rows_[static_cast<size_t>(parentRow)].Flags |= rfHasChildren | rfHasList | rfOpen;
}

void TOcDataConsumerViewList::RemoveRow(int row)
{
    if (!ValidRow(row))
        return;
    CollapseRow(row);
    const bool firstChild = row > 0 && RowDepth(row - 1) == RowDepth(row) - 1;
    rows_.erase(rows_.begin() + row);
    if (firstChild && (row >= RowCount() || RowDepth(row) <= RowDepth(row - 1)))
        rows_[static_cast<size_t>(row - 1)].Flags &= ~(rfHasChildren | rfOpen);
}

void TOcDataConsumerViewList::CollapseRow(int row)
{
    if (!ValidRow(row) || !RowHasChildren(row) || !RowIsOpen(row))
        return;
    const int depth = RowDepth(row);
    int end = row + 1;
    while (end < RowCount() && RowDepth(end) > depth)
        ++end;
    rows_.erase(rows_.begin() + row + 1, rows_.begin() + end);
    rows_[static_cast<size_t>(row)].Flags &= ~rfOpen;
}

void TOcDataConsumerViewList::SetRowFlags(int row, uint32_t value, uint32_t mask)
{
    if (ValidRow(row))
        rows_[static_cast<size_t>(row)].Flags =
            (rows_[static_cast<size_t>(row)].Flags & ~mask) | (value & mask);
}

void TOcDataConsumerViewList::ToggleRow(int row)
{
    if (!ValidRow(row) || !RowHasChildren(row))
        return;
    if (RowIsOpen(row)) {
        CollapseRow(row);
    } else {
        TInterfacePtr<IOcDataItem> item = RowItem(row);
        TInterfacePtr<IOcDataItems> children = SubItemsOf(item.Get());
        int next = row + 1;
        AddItemRows(next, children.Get(), 0);
    }
    NotifyViewChange();
}

int TOcDataConsumerViewList::RowOfID(const TOcDataItemID& id)
{
    for (int i = RowCount(); i-- > 0;)
        if (SameText(rows_[static_cast<size_t>(i)].ID, id))
            return i;
    return -1;
}

int TOcDataConsumerViewList::RowOfItem(IOcDataItem* item)
{
    return item ? RowOfID(item->ID()) : -1;
}

int TOcDataConsumerViewList::ChildPositionOfID(const TOcDataItemID& id)
{
    const int row = RowOfID(id);
    if (row <= 0)
        return row;
    const int depth = RowDepth(row);
    int position = 0;
    for (int i = row - 1; i >= 0 && RowDepth(i) >= depth; --i)
        if (RowDepth(i) == depth)
            ++position;
    return position;
}

int TOcDataConsumerViewList::ChildPositionOfItem(IOcDataItem* item)
{
    return item ? ChildPositionOfID(item->ID()) : -1;
}

TInterfacePtr<IOcDataItem> TOcDataConsumerViewList::RowItem(int row)
{
    if (!ValidRow(row))
        return {};
    TInterfacePtr<IOcDataItems> list;
    const int parent = RowParentIndex(row);
    if (RowDepth(row) == 0 || parent < 0)
        list = RootItemsFor();
    else
        list = SubItemsOf(RowItem(parent).Get());
    TInterfacePtr<IOcDataItemLookup> lookup = list ? list.Query<IOcDataItemLookup>() : nullptr;
    return lookup ? lookup->FindItem(rows_[static_cast<size_t>(row)].ID, false) : nullptr;
}

int TOcDataConsumerViewList::RowDepth(int row)
{
    return ValidRow(row) ? static_cast<int>(rows_[static_cast<size_t>(row)].Flags & rfDepthMask)
                         : -1;
}

bool TOcDataConsumerViewList::RowIsOpen(int row)
{
    return ValidRow(row) && (rows_[static_cast<size_t>(row)].Flags & rfOpen) != 0;
}

bool TOcDataConsumerViewList::RowHasChildren(int row)
{
    return ValidRow(row) && (rows_[static_cast<size_t>(row)].Flags & rfHasChildren) != 0;
}

int TOcDataConsumerViewList::RowParentIndex(int row)
{
    if (!ValidRow(row))
        return -1;
    const int depth = RowDepth(row);
    for (int i = row - 1; i >= 0; --i)
        if (RowDepth(i) < depth)
            return i;
    return -1;
}

TInterfacePtr<IOcDataItem> TOcDataConsumerViewList::RowParent(int row)
{
    return RowItem(RowParentIndex(row));
}

int TOcDataConsumerViewList::RowNextSiblingIndex(int row)
{
    if (!ValidRow(row))
        return -1;
    int scan = row;
    return NextSiblingScan(row, scan);
}

TInterfacePtr<IOcDataItem> TOcDataConsumerViewList::RowNextSibling(int row)
{
    return RowItem(RowNextSiblingIndex(row));
}

int TOcDataConsumerViewList::RowChildIndex(int parentRow, int index)
{
    if (parentRow < -1 || parentRow >= RowCount() || index < 0)
        return -1;
    int row = parentRow + 1;
    // The first child must be there: a row one level deeper right below the parent.
    if (row >= RowCount() || RowDepth(row) != (parentRow < 0 ? 0 : RowDepth(parentRow) + 1))
        return -1;
    for (int i = 0; i < index && row >= 0; ++i)
        row = RowNextSiblingIndex(row);
    return row;
}

int TOcDataConsumerViewList::RowChildIndex(IOcDataItem* parentItem, int index)
{
    if (!parentItem)
        return RowChildIndex(-1, index);
    const int parentRow = RowOfItem(parentItem);
    return parentRow < 0 ? -1 : RowChildIndex(parentRow, index);
}

TInterfacePtr<IOcDataItem> TOcDataConsumerViewList::RowChild(IOcDataItem* parentItem, int index)
{
    return RowItem(RowChildIndex(parentItem, index));
}

TInterfacePtr<IOcDataItem> TOcDataConsumerViewList::RowChild(int parentRow, int index)
{
    return RowItem(RowChildIndex(parentRow, index));
}

} // namespace dataprovider
