// The rights editor window (rights per object and per login).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornRights : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornRights(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int objectKind, int objectId);
};
