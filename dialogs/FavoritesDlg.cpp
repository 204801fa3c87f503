#include "dialogs/FavoritesDlg.h"

#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/PageArea.h"
#include "dialogs/StartUrl.h"
#include "dialogs/TaskGeneralPage.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/Favorites.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Text.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <map>
#include <vector>

namespace
{
constexpr int kImageFolder = 0;
constexpr int kImageTask = 1;
constexpr int kActionCheck = 0;
constexpr int kActionBrowse = 1;
constexpr int kActionOffline = 2;

HTREEITEM ItemOf(IFavoritesTreeControl::Item item)
{
    return reinterpret_cast<HTREEITEM>(item);
}

IFavoritesTreeControl::Item HandleOf(HTREEITEM item)
{
    return reinterpret_cast<IFavoritesTreeControl::Item>(item);
}

// The store's view of the dialog's tree. Reordering takes items out of the
// tree, which moves the current item; the dialog sets its re-entry flag
// around every call that may reorder.
class CTreeAdapter : public IFavoritesTreeControl
{
public:
    explicit CTreeAdapter(CTreeCtrl& tree) : m_tree(tree) {}

    Item InsertItem(Item parent, const std::string& text, int image, int selectedImage, CXmlNode* node) override
    {
        HTREEITEM item = m_tree.InsertItem(text, image, selectedImage, ItemOf(parent), TVI_LAST);
        m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(node));
        if (!parent && !node && !m_all)
            m_all = item;
        return HandleOf(item);
    }
    void Expand(Item item) override { m_tree.Expand(ItemOf(item), TVE_EXPAND); }
    void SelectItem(Item item) override { m_tree.SelectItem(ItemOf(item)); }

    std::vector<Item> GetChildren(Item parent) override
    {
        std::vector<Item> children;
        HTREEITEM child = parent ? m_tree.GetChildItem(ItemOf(parent)) : m_tree.GetRootItem();
        for (; child; child = m_tree.GetNextSiblingItem(child))
            children.push_back(HandleOf(child));
        return children;
    }
    CXmlNode* GetItemNode(Item item) override
    {
        return reinterpret_cast<CXmlNode*>(m_tree.GetItemData(ItemOf(item)));
    }
    void SetChildOrder(Item parent, const std::vector<Item>& children) override
    {
        QTreeWidgetItem* holder = parent ? ItemOf(parent) : m_tree.invisibleRootItem();
        HTREEITEM current = m_tree.GetSelectedItem();
        // Taking items out of the tree forgets which of them (and of their
        // descendants) were open.
        std::vector<HTREEITEM> open;
        std::vector<HTREEITEM> pending;
        for (Item child : children)
            pending.push_back(ItemOf(child));
        while (!pending.empty())
        {
            HTREEITEM item = pending.back();
            pending.pop_back();
            if (item->isExpanded())
                open.push_back(item);
            for (int index = 0; index < item->childCount(); ++index)
                pending.push_back(item->child(index));
        }
        const QList<QTreeWidgetItem*> taken = holder->takeChildren();
        for (Item child : children)
            holder->addChild(ItemOf(child));
        for (HTREEITEM item : open)
            item->setExpanded(true);
        if (current)
            m_tree.SelectItem(current);
    }

    HTREEITEM GetAll() const { return m_all; }

private:
    CTreeCtrl& m_tree;
    HTREEITEM m_all = nullptr;
};

bool IsNamed(const CXmlNode* node, const char* name)
{
    return node && node->GetName() == name;
}
} // namespace

CFavoritesDlg::CFavoritesDlg(CTaskDialogContext context, CPasswordStore* passwords,
                             std::function<bool()> savePasswords, QWidget* parent)
    : CDialog(IDD_FAVORITES, parent), m_context(std::move(context)), m_passwords(passwords),
      m_savePasswords(std::move(savePasswords))
{
    if (const DialogDesc* description = FindDialog(IDD_FAVORITES))
        BuildDialogFromDescription(*this, *description);
    m_tree = qobject_cast<CTreeCtrl*>(GetDlgItem(IDC_FAV_TREE));
    const QImage icon = LoadIconResource(IDI_MAINFRAME);
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));

    // The page's Compose URL button has New Folder's id, and a page offers
    // its commands to its host first; New Folder is therefore tied to its
    // own button rather than to the id.
    if (auto* newFolder = qobject_cast<QPushButton*>(GetDlgItem(IDC_FAV_NEW_FOLDER)))
        connect(newFolder, &QPushButton::clicked, this, [this] { OnNewFolder(); });
    OnCommand(IDC_FAV_NEW_TASK, [this] { OnNewTask(); });
    OnCommand(IDC_FAV_RENAME, [this] { OnRename(); });
    OnCommand(IDC_FAV_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_FAV_PROPERTIES, [this] { OnProperties(); });
    OnCommand(IDC_FAV_HELP, [this] { OnHelp(); });
    OnCommand(IDC_FAV_CHECK, [this] { OnRun(IDC_FAV_CHECK, kActionCheck); });
    OnCommand(IDC_FAV_BROWSE, [this] { OnRun(IDC_FAV_BROWSE, kActionBrowse); });
    OnCommand(IDC_FAV_OFFLINE, [this] { OnRun(IDC_FAV_OFFLINE, kActionOffline); });
}

CFavoritesDlg::~CFavoritesDlg()
{
    Close();
}

bool CFavoritesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    setMinimumSize(sizeHint());
    // The page sits where its placeholder was.
    m_pageArea = PlacePageArea(*this, IDC_FAV_PAGE_AREA);
    if (!m_tree)
        return true;
    (void)m_images.AddStrip(LoadBitmapResource(IDB_FAVORITES));
    m_tree->SetImageList(&m_images);
    connect(m_tree, &CTreeCtrl::selectionChanged, this,
            [this](HTREEITEM oldItem, HTREEITEM newItem, int) { OnSelectionChanged(oldItem, newItem); });
    connect(m_tree, &CTreeCtrl::itemActivatedByUser, this, [this](HTREEITEM) { OnProperties(); });
    m_tree->installEventFilter(this);
    FillTree();
    m_tree->setFocus();
    return false;
}

CXmlNode* CFavoritesDlg::NodeOf(HTREEITEM item) const
{
    return item && m_tree ? reinterpret_cast<CXmlNode*>(m_tree->GetItemData(item)) : nullptr;
}

bool CFavoritesDlg::IsFolder(HTREEITEM item) const
{
    return IsNamed(NodeOf(item), "Folder");
}

bool CFavoritesDlg::IsTask(HTREEITEM item) const
{
    return IsNamed(NodeOf(item), "Item");
}

void CFavoritesDlg::FillTree()
{
    static_cast<void>(LoadFavorites());
    m_loaded = true;
    // The tree shown is empty; the user must know why before saving over it.
    if (const std::string& damaged = GetDamagedFavoritesFile(); !damaged.empty())
        AfxMessageBox(Format(LoadResourceString(IDS_FAVORITES_DAMAGED), damaged.c_str()), MB_OK | MB_ICONWARNING);
    CTreeAdapter adapter(*m_tree);
    {
        // The fill selects "All" and then the remembered favourite; only the
        // last selection gets a page.
        m_selecting = true;
        m_tree->DeleteAllItems();
        FillFavoritesTree(adapter);
        SortTreeRecursive(adapter, CompareFavoriteNames);
        m_selecting = false;
    }
    m_allItem = adapter.GetAll();
    ShowPageFor(m_tree->GetSelectedItem());
    UpdateButtons();
}

void CFavoritesDlg::UpdateButtons()
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    const bool editing = m_editItem != nullptr;
    const bool folder = IsFolder(selected);
    const bool task = IsTask(selected);
    const std::pair<int, bool> states[] = {
        {IDC_FAV_NEW_FOLDER, (folder || (selected && selected == m_allItem)) && !editing},
        {IDC_FAV_NEW_TASK, !editing},
        {IDC_FAV_RENAME, folder || task},
        {IDC_FAV_DELETE, folder || task},
        {IDC_FAV_PROPERTIES, task},
        {IDC_FAV_CHECK, task},
        {IDC_FAV_BROWSE, task},
        {IDC_FAV_OFFLINE, task},
    };
    for (const auto& [id, on] : states)
    {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    }
}

void CFavoritesDlg::OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem)
{
    if (m_selecting)
        return;
    // Leaving a task whose address does not do: back to it.
    if (m_page && !ApplyTask(oldItem, true))
    {
        m_selecting = true;
        m_tree->SelectItem(oldItem);
        m_selecting = false;
        if (QWidget* url = m_page ? m_page->GetDlgItem(IDC_TASKGEN_URI) : nullptr)
            url->setFocus();
        UpdateButtons();
        return;
    }
    ShowPageFor(newItem);
    UpdateButtons();
}

void CFavoritesDlg::LoadTaskOf(HTREEITEM item)
{
    m_task = CTaskSettings({}, m_context.m_settings);
    if (const CXmlNode* node = NodeOf(item))
        GetTaskKeyTable().ApplyAttributeList(node->GetAttributeText(), m_task, true);
}

void CFavoritesDlg::ShowPageFor(HTREEITEM item)
{
    DiscardPage();
    if (!IsTask(item) || !m_pageArea)
        return;
    LoadTaskOf(item);
    ShowTaskPage();
}

void CFavoritesDlg::ShowTaskPage()
{
    m_page = std::make_unique<CTaskGeneralPage>(m_task);
    m_page->CreatePage(m_pageArea, this, 0);
    m_pageArea->layout()->addWidget(m_page.get());
    m_page->setEnabled(true);
    m_page->show();
}

void CFavoritesDlg::DiscardPage()
{
    m_page.reset();
}

bool CFavoritesDlg::ApplyTask(HTREEITEM item, bool discardPage)
{
    CXmlNode* node = NodeOf(item);
    if (!m_page || !IsNamed(node, "Item"))
        return true;
    if (!m_page->ApplyBindings())
        return false;
    m_task = m_page->GetTask();
    std::string url = m_task.GetUrl();
    if (url.empty())
    {
        AfxMessageBox(InvalidUrlMessage(url), MB_OK | MB_ICONERROR);
        return false;
    }
    if (!IsLocalPath(url))
    {
        int scheme = 0;
        int port = -1;
        std::string host;
        std::string user;
        std::string password;
        std::string path;
        if (!ParseUrl(url.c_str(), scheme, host, port, &user, &password, &path, false))
        {
            AfxMessageBox(InvalidUrlMessage(url), MB_OK | MB_ICONERROR);
            return false;
        }
        // The favourites file is plain text; a password belongs in the
        // enciphered password store, where the transfer clients find it.
        if (!password.empty())
        {
            if (m_passwords && m_passwords->Set(ComposeUrl(scheme, host, "", port, user, ""), password))
                m_passwordMoved = true;
            url = ComposeUrl(scheme, host, path, port, user, "");
            m_task.SetString(TASK_URI, url.c_str());
            m_page->GetTask().SetString(TASK_URI, url.c_str());
            if (auto* edit = qobject_cast<QLineEdit*>(m_page->GetDlgItem(IDC_TASKGEN_URI)))
                edit->setText(QString::fromStdString(url));
        }
    }
    std::string attributes;
    GetTaskKeyTable().FormatAttributes(m_task, attributes);
    node->SetMarkup(Format("<%s %s />", "Item", attributes.c_str()));
    if (discardPage)
        DiscardPage();
    return true;
}

void CFavoritesDlg::SortChildrenOf(HTREEITEM parent)
{
    if (!m_tree)
        return;
    CTreeAdapter adapter(*m_tree);
    m_selecting = true;
    SortTreeChildren(adapter, CompareFavoriteNames, HandleOf(parent));
    m_selecting = false;
}

void CFavoritesDlg::OnNewFolder()
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    if (m_editItem || !selected || (selected != m_allItem && !IsFolder(selected)))
        return;
    HTREEITEM item = m_tree->InsertItem("", kImageFolder, kImageFolder, selected, TVI_LAST);
    m_tree->Expand(selected, TVE_EXPAND);
    m_tree->EnsureVisible(item);
    BeginLabelEdit(item);
}

void CFavoritesDlg::OnNewTask()
{
    if (m_editItem || !m_tree || !m_allItem)
        return;
    HTREEITEM parent = m_tree->GetSelectedItem();
    while (parent && parent != m_allItem && !IsFolder(parent))
        parent = m_tree->GetParentItem(parent);
    if (!parent)
        parent = m_allItem;
    HTREEITEM item = m_tree->InsertItem("", kImageTask, kImageTask, parent, TVI_LAST);
    m_tree->Expand(parent, TVE_EXPAND);
    m_tree->EnsureVisible(item);
    BeginLabelEdit(item);
}

void CFavoritesDlg::OnRename()
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    if (!m_editItem && (IsFolder(selected) || IsTask(selected)))
        BeginLabelEdit(selected);
}

void CFavoritesDlg::OnDelete()
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    CXmlNode* node = NodeOf(selected);
    CXmlNode* root = GetFavoritesRoot();
    if (m_editItem || !node || !root)
        return;
    // The page belongs to the task going away: it goes first, so that the
    // selection change the deletion causes finds no page of a freed task.
    DiscardPage();
    static_cast<void>(root->RemoveNode(node));
    m_tree->DeleteItem(selected);
    if (!m_page)
        ShowPageFor(m_tree->GetSelectedItem());
    UpdateButtons();
}

void CFavoritesDlg::OnProperties()
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    if (!m_page || !IsTask(selected) || !m_page->ApplyBindings())
        return;
    CTaskSettings task = m_page->GetTask();
    if (!EditLinkProperties(task, m_context, this))
        return;
    // A new page over the edited task shows what the dialog changed.
    DiscardPage();
    m_task = task;
    ShowTaskPage();
    m_page->SetModified(true);
}

void CFavoritesDlg::OnRun(int command, int action)
{
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    if (m_editItem || !ApplyTask(selected, true) || !IsTask(selected))
        return;
    LoadTaskOf(selected);
    m_task.SetInt(TASK_ACTION, action);
    if (!SaveEdits())
        return;
    EndDialog(command);
}

void CFavoritesDlg::OnOK()
{
    if (m_editItem)
    {
        m_editEndKey = Qt::Key_Return;
        EndLabelEdit();
        return;
    }
    if (!ApplyTask(m_tree ? m_tree->GetSelectedItem() : nullptr, true) || !SaveEdits())
        return;
    EndDialog(IDOK);
}

bool CFavoritesDlg::SaveEdits()
{
    // The passwords go first: a favourite written without its password
    // while the store that should keep it could not be written would leave
    // the password only in this run's memory.
    UINT failure = 0;
    if (m_passwordMoved && m_savePasswords && !m_savePasswords())
        failure = IDS_CANNOT_SAVE_PASSWORDS;
    else
    {
        m_passwordMoved = false;
        if (!SaveFavorites())
            failure = IDS_CANNOT_SAVE_FAVORITES;
    }
    if (failure == 0)
    {
        m_favoritesSaved = true;
        return true;
    }
    AfxMessageBox(LoadResourceString(failure), MB_OK | MB_ICONERROR);
    // The page was let go for the end that did not come; the task it showed
    // is in the tree, so it comes back as it was.
    if (!m_page && m_tree)
        ShowPageFor(m_tree->GetSelectedItem());
    return false;
}

void CFavoritesDlg::OnCancel()
{
    m_saveOnClose = false;
    EndDialog(IDCANCEL);
}

void CFavoritesDlg::BeginLabelEdit(HTREEITEM item)
{
    if (!item || m_editItem)
        return;
    m_editItem = item;
    m_editEndKey = 0;
    m_labelEdit = new QLineEdit(m_tree->viewport());
    m_labelEdit->setText(QString::fromStdString(m_tree->GetItemText(item)));
    m_labelEdit->selectAll();
    QRect rect;
    if (m_tree->GetItemRect(item, rect))
        m_labelEdit->setGeometry(rect);
    m_labelEdit->installEventFilter(this);
    m_labelEdit->show();
    m_labelEdit->setFocus();
    UpdateButtons();
}

void CFavoritesDlg::EndLabelEdit()
{
    if (!m_editItem || !m_labelEdit)
        return;
    HTREEITEM item = m_editItem;
    const std::string label = m_labelEdit->text().toStdString();
    const bool cancelled = m_editEndKey == Qt::Key_Escape;
    m_editItem = nullptr;
    m_labelEdit->removeEventFilter(this);
    m_labelEdit->hide();
    m_labelEdit->deleteLater();
    m_labelEdit = nullptr;

    HTREEITEM parent = m_tree->GetParentItem(item);
    if (CXmlNode* node = NodeOf(item))
    {
        if (!label.empty() && !cancelled)
        {
            m_tree->SetItemText(item, label);
            static_cast<void>(node->SetAttribute("Name", label, true));
            if (m_page && item == m_tree->GetSelectedItem())
            {
                m_page->GetTask().SetString(TASK_NAME, label.c_str());
                m_task.SetString(TASK_NAME, label.c_str());
            }
            SortChildrenOf(parent);
        }
        m_tree->setFocus();
    }
    else
    {
        CXmlNode* parentNode = parent == m_allItem ? GetFavoritesRoot() : NodeOf(parent);
        int image = kImageFolder;
        int selectedImage = kImageFolder;
        m_tree->GetItemImage(item, image, selectedImage);
        if (label.empty() || cancelled || !parentNode)
        {
            m_selecting = true;
            m_tree->DeleteItem(item);
            m_selecting = false;
            m_tree->setFocus();
        }
        else
        {
            const bool task = image == kImageTask;
            CXmlNode* added = task ? parentNode->AddChild("Item", "Name", label, CXmlNode::kEmptyElement)
                                   : parentNode->AddChild("Folder", "Name", label, CXmlNode::kElement);
            static_cast<void>(added->SetAttribute("ID", NewFavoriteId(), true));
            m_tree->SetItemText(item, label);
            m_tree->SetItemData(item, reinterpret_cast<DWORD_PTR>(added));
            m_tree->SelectItem(item);
            SortChildrenOf(parent);
            QWidget* url = task && m_page ? m_page->GetDlgItem(IDC_TASKGEN_URI) : nullptr;
            if (url)
                url->setFocus();
            else
                m_tree->setFocus();
        }
    }
    m_editEndKey = 0;
    UpdateButtons();
}

bool CFavoritesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (m_labelEdit && watched == m_labelEdit)
    {
        if (event->type() == QEvent::KeyPress)
        {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            {
                m_editEndKey = key == Qt::Key_Escape ? Qt::Key_Escape : Qt::Key_Return;
                EndLabelEdit();
                return true;
            }
        }
        else if (event->type() == QEvent::FocusOut)
        {
            EndLabelEdit();
        }
        return CDialog::eventFilter(watched, event);
    }
    if (watched == m_tree && event->type() == QEvent::KeyPress)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier)
        {
            OnDelete();
            return true;
        }
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier)
        {
            OnRename();
            return true;
        }
    }
    return CDialog::eventFilter(watched, event);
}

void CFavoritesDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::AltModifier) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) && !m_editItem)
    {
        OnProperties();
        return;
    }
    CDialog::keyPressEvent(event);
}

void CFavoritesDlg::done(int code)
{
    Close();
    CDialog::done(code);
}

void CFavoritesDlg::Close()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    const HTREEITEM selected = m_tree ? m_tree->GetSelectedItem() : nullptr;
    if (m_context.m_settings)
    {
        m_context.m_settings->SetString(SETTING_LAYOUT_LAST_FAVORITE_SITE, GetFavoriteId(NodeOf(selected)).c_str());
        if (m_context.m_saveSettings)
            static_cast<void>(m_context.m_saveSettings());
    }
    // OK and the run commands have saved already; any other end that keeps
    // the edits still reports a failure.
    if (m_saveOnClose && !m_favoritesSaved)
        static_cast<void>(SaveEdits());
    DiscardPage();
    // The items point into the store, which goes now.
    m_selecting = true;
    if (m_tree)
        m_tree->DeleteAllItems();
    m_allItem = nullptr;
    FreeFavorites();
}

int RunFavoritesDlg(CPropertySet& task, const CTaskDialogContext& context, CPasswordStore* passwords,
                    std::function<bool()> savePasswords, QWidget* parent)
{
    CFavoritesDlg dialog(context, passwords, std::move(savePasswords), parent);
    const int code = dialog.DoModal();
    task.CopyFrom(dialog.m_task);
    // The filter's keys live in the task's filter, not in its bag.
    for (int id = 0; id < kTaskFilterIdCount; ++id)
    {
        std::string text;
        if (dialog.m_task.GetString(id, text))
            task.SetString(id, text.c_str());
    }
    return code;
}
