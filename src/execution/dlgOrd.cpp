// Sort order dialog: reads the order from ORDER BY / "SortCritery" / "@parSortPart"
// and hands the new one back the same way.
#include "execution/dlgOrd.h"

#include "database/VornMessages.h"
#include "platform/data/Dataset.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

static const QString kAsc = QStringLiteral("Прямое");
static const QString kDesc = QStringLiteral("Обратн");

TdlgOrder::TdlgOrder(vorn::Dataset *ds, QWidget *parent) : QDialog(parent), m_ds(ds)
{
    setObjectName(QStringLiteral("dlgOrder"));
    setWindowTitle(QStringLiteral("Порядок сортировки даных"));
    ReadSortOrder(ds, m_left, m_right);
    auto make = [this](int cols) {
        auto *g = new QTableWidget(0, cols, this);
        g->setSelectionBehavior(QAbstractItemView::SelectRows);
        g->setSelectionMode(QAbstractItemView::SingleSelection);
        g->setEditTriggers(QAbstractItemView::NoEditTriggers);
        g->verticalHeader()->hide();
        QStringList h{QStringLiteral("Поле"), QStringLiteral("Наименование поля")};
        if (cols == 3)
            h << QStringLiteral("Направ.");
        g->setHorizontalHeaderLabels(h);
        return g;
    };
    m_leftGrid = make(2);
    m_leftGrid->setObjectName(QStringLiteral("grdFields"));
    m_rightGrid = make(3);
    m_rightGrid->setObjectName(QStringLiteral("grdOrder"));
    auto *toRight = new QPushButton(QStringLiteral(">"), this);
    auto *toLeft = new QPushButton(QStringLiteral("<"), this);
    auto *mid = new QVBoxLayout;
    mid->addStretch();
    mid->addWidget(toRight);
    mid->addWidget(toLeft);
    mid->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(m_leftGrid, 1);
    top->addLayout(mid);
    top->addWidget(m_rightGrid, 1);
    m_ok = new QPushButton(QStringLiteral("Упорядочить данные\r\nв указанном порядке"), this);
    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_ok->setEnabled(CanApplySortOrder(ds));
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_ok);
    bottom->addWidget(cancel);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(top, 1);
    lay->addLayout(bottom);
    connect(toRight, &QPushButton::clicked, this, [this] { MoveRight(m_leftGrid->currentRow()); });
    connect(toLeft, &QPushButton::clicked, this, [this] { MoveLeft(m_rightGrid->currentRow()); });
    connect(m_leftGrid, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { MoveRight(r); });
    connect(m_rightGrid, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) {
        if (c != 2)  // the direction cell is being edited
            MoveLeft(r);
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(640, 360);
    fill();
}

void TdlgOrder::fill()
{
    m_leftGrid->setRowCount(m_left.Count());
    for (int i = 0; i < m_left.Count(); ++i) {
        m_leftGrid->setItem(i, 0, new QTableWidgetItem(m_left.Items(i).FieldName));
        m_leftGrid->setItem(i, 1, new QTableWidgetItem(m_left.Items(i).DisplayLabel));
    }
    m_rightGrid->setRowCount(m_right.Count());
    for (int i = 0; i < m_right.Count(); ++i) {
        m_rightGrid->setItem(i, 0, new QTableWidgetItem(m_right.Items(i).FieldName));
        m_rightGrid->setItem(i, 1, new QTableWidgetItem(m_right.Items(i).DisplayLabel));
        auto *pick = new QComboBox(m_rightGrid);
        pick->addItems({kAsc, kDesc});
        pick->setCurrentIndex(m_right.Items(i).Desc ? 1 : 0);
        connect(pick, &QComboBox::currentIndexChanged, this, [this, i](int ix) { m_right.Items(i).Desc = ix == 1; });
        m_rightGrid->setCellWidget(i, 2, pick);
    }
}

void TdlgOrder::MoveRight(int leftRow)
{
    if (leftRow < 0 || leftRow >= m_left.Count())
        return;
    TMyFieldRec r = m_left.Remove(leftRow);
    r.Desc = false;
    m_right.Add(r);
    fill();
}

void TdlgOrder::MoveLeft(int rightRow)
{
    if (rightRow < 0 || rightRow >= m_right.Count())
        return;
    TMyFieldRec r = m_right.Remove(rightRow);
    r.Desc = false;
    m_left.Add(r);
    fill();
}

void TdlgOrder::SetDescending(int rightRow, bool desc)
{
    if (auto *pick = qobject_cast<QComboBox *>(m_rightGrid->cellWidget(rightRow, 2)))
        pick->setCurrentIndex(desc ? 1 : 0);
}

void ShowSortDialog(vorn::Dataset *ds)
{
    TdlgOrder dlg(ds, MainWindow());
    if (ExecDialog(&dlg) == QDialog::Accepted && dlg.OkButton()->isEnabled())
        ApplySortOrder(ds, dlg.Right());
}
