// The catalogue tree window TfrmVornMain ("Генератор отчётов"): report groups with their
// reports and scripts and, for administrators, every report, query, data module and
// script; the actions that create, rename, regroup, delete, edit and run them.
#pragma once
#include <QHash>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

// Node kinds of the tree.
enum : int {
    vnkGroup = 0,        // report group; also the root "Все отчеты"
    vnkReport = 1,
    vnkQueries = 2,      // "Запросы" of a report; also the root "Все запросы"
    vnkQuery = 3,
    vnkParams = 4,       // "Параметры"
    vnkParam = 5,
    vnkScriptsRoot = 6,  // "Все скрипты (макросы)"
    vnkScript = 7,
    vnkRemoteRoot = 8,   // "Все модули данных"
    vnkRemoteData = 9,
};

// Top-level branches.
enum : int { vnbGroups = 0, vnbReports = 1, vnbQueries = 2, vnbScripts = 3, vnbRemoteData = 4 };

// The record every tree node carries.
struct TVornNodeRec
{
    int Kind = 0;          // node kind
    int Branch = 0;        // top-level branch the node belongs to
    int ObjectId = 0;      // Id of the object (a "Параметры" folder: its owner's Id)
    int Numm = 0;          // order number in the list the node came from
    int LinkId = 0;        // membership Id in branch 0, else the object's Id in its own branch
    int IdDestination = 0; // report nodes only
    int IdTypExec = 0;     // report nodes only
    bool sameNode(const TVornNodeRec &o) const
    {
        return Kind == o.Kind && Branch == o.Branch && ObjectId == o.ObjectId && LinkId == o.LinkId;
    }
};

class TVornTreeNode : public QTreeWidgetItem
{
public:
    // Column 0 holds the text, UserRole the name before an edit, UserRole + 1 the image index.
    explicit TVornTreeNode(const TVornNodeRec &rec) : QTreeWidgetItem(UserType + 1), Rec(rec) {}
    TVornNodeRec Rec;
};

// The tree control: drags catalogue nodes and hands drops to the window.
class TVornTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TVornTreeView(QWidget *parent = nullptr);
    // target nullptr: whether the node may be dragged at all.
    std::function<bool(TVornTreeNode *dragged, TVornTreeNode *target)> canDrop;
    std::function<bool(TVornTreeNode *dragged, TVornTreeNode *target)> onDrop;
    bool IsRenaming() const { return state() == EditingState; }

protected:
    void startDrag(Qt::DropActions supported) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    TVornTreeNode *m_dragged = nullptr;
};

class TfrmVornMain : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornMain(QWidget *parent = nullptr);
    ~TfrmVornMain() override;

    // Rebuilds the tree from the catalogue lists; keep = select the same node again.
    void BuildTree(bool keep);

    TVornTreeView *Tree() const { return m_tree; }
    TVornTreeNode *Selected() const;
    void SelectNode(QTreeWidgetItem *node);  // selects and recomputes the actions at once
    TVornTreeNode *FindNode(int kind, int branch, int objectId, int linkId) const;
    TVornTreeNode *FindNode(const TVornNodeRec &rec) const
    {
        return FindNode(rec.Kind, rec.Branch, rec.ObjectId, rec.LinkId);
    }
    QAction *Action(const QString &objectName) const;
    QMenu *PopupMenu();                      // the context menu with the enabled items only
    void UpdateActions();                    // the enabling table for the selected node
    bool IsAdmin() const { return m_admin; }

    // Renaming in place: whether a node may be renamed, and writing a new name.
    bool CanRename(const TVornTreeNode *node) const;
    bool RenameNode(TVornTreeNode *node, const QString &text);
    // Dropping a report (branch 1) or a script (branch 3) on a group (branch 0).
    bool CanDrop(const TVornTreeNode *dragged, const TVornTreeNode *target) const;
    bool DropOnGroup(TVornTreeNode *dragged, TVornTreeNode *target);
    void SetSortKey(int key);                // 0 by number, 1 by name, 2 by Id

    // Unique default names for new objects.
    static QString UniqueName(const QString &defaultText, const QString &table, const QString &column);
    static QString UniqueParamName(int ownerId, bool ownerIsRemoteData);

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void createActions();
    void createToolBars();
    QAction *addAction(const char *name, const QString &caption, int image, void (TfrmVornMain::*slot)());
    void run(void (TfrmVornMain::*handler)());
    void contextMenu(const QPoint &pos);
    void nodeDoubleClicked(QTreeWidgetItem *item);
    void nodeChanged(QTreeWidgetItem *item, int column);

    // Tree filling: the sources of each report and the parameters of each owner, in order.
    struct TSourceRow { int IdQuery, IdRemoteData, Numm, IsMaster; QString Name; };
    struct TParamRow { int Id, Numm; QString Label; };
    QHash<int, QList<TSourceRow>> m_sources;
    QHash<int, QList<TParamRow>> m_queryParams, m_remoteParams;
    TVornTreeNode *addNode(QTreeWidgetItem *parent, const TVornNodeRec &rec, const QString &text, int image);
    void addReport(QTreeWidgetItem *parent, int branch, int linkId, int idForm, int numm, const QString &name,
                   int destination, int typExec);
    void addParams(QTreeWidgetItem *parent, int branch, int linkId, int ownerId, bool remote);
    TVornTreeNode *topLevel(int kind, int branch) const;
    TVornTreeNode *reportOf(TVornTreeNode *node) const;  // the report a node belongs to
    TVornTreeNode *groupOf(TVornTreeNode *node) const;
    void startRename(TVornTreeNode *node);
    void removeNodeSelectParent(TVornTreeNode *node);
    void rebuildSelectNeighbour(TVornTreeNode *node, bool previousToo);
    bool addToGroup(int groupId, TVornTreeNode *node);
    void firstSource(int idForm, int *idQuery, int *idRemoteData) const;

    // Actions.
    void NewGrpFrm();
    void EditGrpFrm();
    void DelGrpFrm();
    void NewFrm();
    void EditFrm();
    void DelFrm();
    void NewSQL();
    void EditSQL();
    void DelSQL();
    void NewRemoteData();
    void EditRemoteData();
    void DelRemoteData();
    void NewParam();
    void EditParam();
    void DelParam();
    void NewScript();
    void EditScript();
    void DelScript();
    void UsersList();
    void EdtRepFrm();
    void Exec();
    void ExecAsTbl();
    void Refresh();

    TVornTreeView *m_tree = nullptr;
    QToolBar *m_tbEdit = nullptr;
    QToolBar *m_tbOther = nullptr;
    QToolBar *m_tbRun = nullptr;
    QToolButton *m_sortButton = nullptr;
    QMenu *m_sortMenu = nullptr;
    QActionGroup *m_sortGroup = nullptr;
    QMenu *m_popup = nullptr;
    QTimer *m_changeTimer = nullptr;  // reports a selection change 50 ms later
    QList<QAction *> m_editActions;    // the eighteen add / change / delete actions
    bool m_admin = false;              // cached at creation
    bool m_building = false;           // no rename statements while filling
    bool m_placed = false;             // placement restored once
};
