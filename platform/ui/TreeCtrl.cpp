#include "platform/ui/TreeCtrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace
{
constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;

// Runs body with the cause set, and puts the old one back after.
template <class Body>
void WithCause(int& cause, int now, Body body)
{
    const int old = cause;
    cause = now;
    body();
    cause = old;
}
} // namespace

CTreeCtrl::CTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem* old) {
        if (old)
            UpdateIcon(old);
        if (now)
            UpdateIcon(now);
        emit selectionChanged(old, now, m_cause);
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { emit itemExpandedChanged(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { emit itemExpandedChanged(item, false); });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { emit itemActivatedByUser(item); });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        emit contextMenuRequested(itemAt(at), viewport()->mapToGlobal(at));
    });
}

CTreeCtrl::~CTreeCtrl()
{
    // Owners free item data on itemDeleting; nothing is told during
    // destruction, when the owner may be gone already.
    blockSignals(true);
}

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after)
{
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(text)));
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage < 0 ? image : selectedImage);
    item->setData(0, kDataRole, QVariant::fromValue<qulonglong>(0));
    const int count = parent ? parent->childCount() : topLevelItemCount();
    int position = count;
    if (after == TVI_FIRST)
    {
        position = 0;
    }
    else if (after != TVI_LAST && after != nullptr)
    {
        const int index = parent ? parent->indexOfChild(after) : indexOfTopLevelItem(after);
        if (index < 0)
        {
            delete item;
            return nullptr;
        }
        position = index + 1;
    }
    if (parent)
        parent->insertChild(position, item);
    else
        insertTopLevelItem(position, item);
    UpdateIcon(item);
    return item;
}

void CTreeCtrl::NotifyDeleting(HTREEITEM item)
{
    for (int child = 0; child < item->childCount(); ++child)
        NotifyDeleting(item->child(child));
    emit itemDeleting(item, GetItemData(item));
}

bool CTreeCtrl::DeleteItem(HTREEITEM item)
{
    if (!item || item->treeWidget() != this)
        return false;
    NotifyDeleting(item);
    if (m_dropTarget)
    {
        for (HTREEITEM walk = m_dropTarget; walk; walk = walk->parent())
        {
            if (walk == item)
            {
                m_dropTarget = nullptr;
                break;
            }
        }
    }
    delete item;
    return true;
}

void CTreeCtrl::DeleteAllItems()
{
    for (int index = 0; index < topLevelItemCount(); ++index)
        NotifyDeleting(topLevelItem(index));
    m_dropTarget = nullptr;
    clear();
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const
{
    return item ? item->text(0).toStdString() : std::string();
}

bool CTreeCtrl::SetItemText(HTREEITEM item, const std::string& text)
{
    if (!item)
        return false;
    item->setText(0, QString::fromStdString(text));
    return true;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    return item ? static_cast<DWORD_PTR>(item->data(0, kDataRole).toULongLong()) : 0;
}

bool CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    if (!item)
        return false;
    item->setData(0, kDataRole, QVariant::fromValue<qulonglong>(data));
    return true;
}

bool CTreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const
{
    if (!item)
        return false;
    image = item->data(0, kImageRole).toInt();
    selectedImage = item->data(0, kSelectedImageRole).toInt();
    return true;
}

bool CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage)
{
    if (!item)
        return false;
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage);
    UpdateIcon(item);
    return true;
}

void CTreeCtrl::UpdateIcon(HTREEITEM item)
{
    if (!m_images)
    {
        item->setIcon(0, QIcon());
        return;
    }
    const int image = item->data(0, item == currentItem() ? kSelectedImageRole : kImageRole).toInt();
    item->setIcon(0, m_images->GetIcon(image));
}

void CTreeCtrl::SetHasChildren(HTREEITEM item, bool hasChildren)
{
    if (item)
        item->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool CTreeCtrl::ItemHasChildren(HTREEITEM item) const
{
    if (!item)
        return topLevelItemCount() > 0;
    return item->childCount() > 0 || item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

HTREEITEM CTreeCtrl::GetRootItem() const
{
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const
{
    if (!item)
        return GetRootItem();
    return item->childCount() > 0 ? item->child(0) : nullptr;
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    if (HTREEITEM parent = item->parent())
    {
        const int index = parent->indexOfChild(item) + 1;
        return index < parent->childCount() ? parent->child(index) : nullptr;
    }
    const int index = indexOfTopLevelItem(item) + 1;
    return index < topLevelItemCount() ? topLevelItem(index) : nullptr;
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    if (HTREEITEM parent = item->parent())
    {
        const int index = parent->indexOfChild(item) - 1;
        return index >= 0 ? parent->child(index) : nullptr;
    }
    const int index = indexOfTopLevelItem(item) - 1;
    return index >= 0 ? topLevelItem(index) : nullptr;
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const
{
    return item ? item->parent() : nullptr;
}

HTREEITEM CTreeCtrl::GetNextVisibleItem(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    if (item->isExpanded() && item->childCount() > 0)
        return item->child(0);
    for (HTREEITEM walk = item; walk; walk = walk->parent())
    {
        if (HTREEITEM next = GetNextSiblingItem(walk))
            return next;
    }
    return nullptr;
}

HTREEITEM CTreeCtrl::GetPrevVisibleItem(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    HTREEITEM previous = GetPrevSiblingItem(item);
    if (!previous)
        return item->parent();
    while (previous->isExpanded() && previous->childCount() > 0)
        previous = previous->child(previous->childCount() - 1);
    return previous;
}

HTREEITEM CTreeCtrl::GetFirstVisibleItem() const
{
    if (HTREEITEM top = itemAt(QPoint(1, 1)))
        return top;
    return GetRootItem();
}

HTREEITEM CTreeCtrl::GetSelectedItem() const
{
    return currentItem();
}

bool CTreeCtrl::SelectItem(HTREEITEM item)
{
    if (item && item->treeWidget() != this)
        return false;
    WithCause(m_cause, TVC_UNKNOWN, [&] {
        setCurrentItem(item);
        if (item)
            scrollToItem(item);
    });
    return true;
}

bool CTreeCtrl::Expand(HTREEITEM item, UINT action)
{
    if (!item)
        return false;
    switch (action)
    {
    case TVE_EXPAND: item->setExpanded(true); break;
    case TVE_COLLAPSE: item->setExpanded(false); break;
    case TVE_TOGGLE: item->setExpanded(!item->isExpanded()); break;
    default: return false;
    }
    return true;
}

void CTreeCtrl::EnsureVisible(HTREEITEM item)
{
    if (!item)
        return;
    for (HTREEITEM parent = item->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    scrollToItem(item);
}

bool CTreeCtrl::SelectDropTarget(HTREEITEM item)
{
    if (item && item->treeWidget() != this)
        return false;
    if (m_dropTarget == item)
        return true;
    m_dropTarget = item;
    viewport()->update();
    return true;
}

bool CTreeCtrl::SortChildren(HTREEITEM item, const std::function<int(DWORD_PTR, DWORD_PTR)>& compare)
{
    HTREEITEM current = currentItem();
    QList<QTreeWidgetItem*> children;
    if (item)
        children = item->takeChildren();
    else
        while (topLevelItemCount() > 0)
            children.append(takeTopLevelItem(0));
    std::vector<QTreeWidgetItem*> ordered(children.begin(), children.end());
    std::stable_sort(ordered.begin(), ordered.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return compare(GetItemData(a), GetItemData(b)) < 0;
    });
    // Taking items out loses their expanded state; it comes back after.
    std::vector<std::pair<QTreeWidgetItem*, bool>> expanded;
    for (QTreeWidgetItem* child : ordered)
        expanded.emplace_back(child, child->isExpanded());
    for (QTreeWidgetItem* child : ordered)
    {
        if (item)
            item->addChild(child);
        else
            addTopLevelItem(child);
    }
    for (auto& [child, open] : expanded)
        child->setExpanded(open);
    if (current)
    {
        WithCause(m_cause, TVC_UNKNOWN, [&] { setCurrentItem(current); });
    }
    return true;
}

void CTreeCtrl::SetImageList(CImageList* images)
{
    m_images = images;
    if (images)
        setIconSize(images->GetIconSize());
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        UpdateIcon(*it);
}

bool CTreeCtrl::GetItemRect(HTREEITEM item, QRect& rect) const
{
    if (!item)
        return false;
    rect = visualItemRect(item);
    return rect.isValid();
}

HTREEITEM CTreeCtrl::HitTest(const QPoint& point, UINT* flags) const
{
    HTREEITEM item = itemAt(point);
    if (flags)
    {
        *flags = TVHT_NOWHERE;
        if (item)
        {
            const QRect rect = visualItemRect(item);
            const int iconWidth = m_images ? iconSize().width() : 0;
            if (point.x() < rect.left())
                *flags = TVHT_ONITEMBUTTON;
            else if (point.x() < rect.left() + iconWidth)
                *flags = TVHT_ONITEMICON;
            else
                *flags = TVHT_ONITEMLABEL;
        }
    }
    return item;
}

void CTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    WithCause(m_cause, TVC_BYMOUSE, [&] { QTreeWidget::mousePressEvent(event); });
}

void CTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    WithCause(m_cause, TVC_BYKEYBOARD, [&] { QTreeWidget::keyPressEvent(event); });
}

void CTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_dropTarget && itemFromIndex(index) == m_dropTarget)
    {
        QStyleOptionViewItem highlighted(option);
        highlighted.state |= QStyle::State_Selected | QStyle::State_Active;
        QTreeWidget::drawRow(painter, highlighted, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}
