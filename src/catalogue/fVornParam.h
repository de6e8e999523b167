// The parameter editor window (the parameters of one query or data module).
// ShowItem reports every call to the entry tracer, which is how tests follow the tree.
#pragma once
#include <QWidget>

class TfrmVornParam : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVornParam(QWidget *parent = nullptr);
    // Positions the window on the given catalogue ids (0 = not given).
    void ShowItem(int ownerKind, int ownerId, int paramId);
};
