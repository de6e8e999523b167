// The sort order dialog: the offered fields on the left, the current order with its
// directions on the right; applies the order where the dataset allows it.
#pragma once
#include "execution/VornGridTools.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

class TdlgOrder : public QDialog
{
    Q_OBJECT
public:
    explicit TdlgOrder(vorn::Dataset *ds, QWidget *parent = nullptr);
    TMyFieldList &Left() { return m_left; }
    TMyFieldList &Right() { return m_right; }
    QTableWidget *LeftGrid() const { return m_leftGrid; }
    QTableWidget *RightGrid() const { return m_rightGrid; }
    QPushButton *OkButton() const { return m_ok; }
    void MoveRight(int leftRow);   // ">" / double click on the left
    void MoveLeft(int rightRow);   // "<" / double click on the right: back ascending
    void SetDescending(int rightRow, bool desc);

private:
    void fill();
    vorn::Dataset *m_ds;
    TMyFieldList m_left, m_right;
    QTableWidget *m_leftGrid, *m_rightGrid;
    QPushButton *m_ok;
};

// Modal; applies the order on OK.
void ShowSortDialog(vorn::Dataset *ds);
