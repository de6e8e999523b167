// Dependency-aware deletion of a catalogue object: the list of what the object owns,
// with a deletion mode per dependant, the dialog TfrmVornDelDepends that shows it and
// lets the user spare optional dependants, and the deletion in one transaction.
#pragma once
#include <QDialog>
#include <QList>
#include <QString>

class QTableView;
class QAbstractTableModel;
class TVornDependList;

// Object kinds of deletion and rights.
enum : int { vokGroup = 1, vokReport = 2, vokQuery = 3, vokParam = 4, vokScript = 5, vokImport = 6, vokRemoteData = 7 };

enum TVornDelMode {
    delNone,      // still used elsewhere: never deleted
    delParent,    // follows its owner's marking
    delOptional,  // the user decides; starts marked
};

struct TVornDependItem
{
    bool Marked = false;        // delete it
    int Kind = 0;               // object kind
    int Id = 0;
    QString Name;               // shown
    TVornDelMode Mode = delNone;
    int Level = 0;              // 0 direct dependant, 1 dependant of a dependant
    int ParentId = 0;           // owner's Id (for a report's sources: the report)
    int ParentKind = 0;         // owner's object kind
    TVornDependList *List = nullptr;
};

class TVornDependList
{
public:
    TVornDependList(int rootId, int rootKind) : RootId(rootId), RootKind(rootKind) {}
    ~TVornDependList();
    TVornDependList(const TVornDependList &) = delete;
    TVornDependList &operator=(const TVornDependList &) = delete;

    const int RootId;
    const int RootKind;

    int Count() const { return int(m_items.size()); }
    TVornDependItem *Items(int i) const { return m_items.at(i); }
    TVornDependItem *Add(int kind, int id, const QString &name, TVornDelMode mode, int level, int parentId,
                         int parentKind);

    void Build();                                  // the dependants of the root, by its kind
    void SetInitialMarking(TVornDependItem *item); // as the item is added
    bool Toggle(int index);                        // the user's toggle; false when the item does not react
    TVornDependItem *Owner(const TVornDependItem *item) const;
    // Deletes the marked items from the last to the first, then the root, in one
    // transaction; any error rolls everything back and is raised again.
    void DeleteMarked();

private:
    void addParams(int ownerId, int ownerKind, int level);
    void setDependantsMarked(const TVornDependItem *owner, bool marked);
    QList<TVornDependItem *> m_items;  // owned, in display order
};

// The kind's icon in the shared image list (0 for an unknown kind).
int VornObjectIcon(int kind);
// "Удалить группу " ... by kind; "" for a kind that is never deleted this way.
QString VornDeleteText(int kind);
// The table and the delete procedure of a kind.
QString VornObjectTable(int kind);

// Deletes the object (kind 1 group, 2 report, 3 query, 5 script, 7 data module) and what
// the user lets go with it; true when the deletion was confirmed and carried out.
bool DeleteWithDependants(int rootId, int kind, const QString &name);

class TfrmVornDelDepends : public QDialog
{
    Q_OBJECT
public:
    // Takes the list over and frees it with itself.
    TfrmVornDelDepends(TVornDependList *list, const QString &rootName, int rootKind, int rootId,
                       QWidget *parent = nullptr);
    ~TfrmVornDelDepends() override;

    TVornDependList *List() const { return m_list; }
    QTableView *Grid() const { return m_grid; }
    void ToggleRow(int row);  // double click or space in "Удалить"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void saveState();
    TVornDependList *m_list;
    QTableView *m_grid = nullptr;
    QAbstractTableModel *m_model = nullptr;
};
