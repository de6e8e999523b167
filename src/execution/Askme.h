// The parameter prompt: a dialog generated row by row from a parameter list, with a
// control per parameter type, list boxes over each parameter's own SQL and dependent
// refresh of later parameters; PrepareParams / AskParams / ApplyDefaults drive it.
#pragma once
#include "execution/ParamAskMe.h"

#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

namespace vorn {
class DataSource;
class Database;
class Query;
class SettingsStore;
}

// A combo box holding any subset of its items: a drop-down check list with Shift/Ctrl
// extended selection, the chosen values joined by ", ", and a box text that tells
// "all" and "several" apart by a prefix. Not editable.
class MultiSelectCombo : public QComboBox
{
    Q_OBJECT
public:
    static const QString PrefAllSel;    // "{ВСЕ} "
    static const QString PrefMultiSel;  // "{..} "

    explicit MultiSelectCombo(QWidget *parent = nullptr);

    void SetItems(const QStringList &items, const QStringList &values);  // nothing selected
    QStringList Items() const { return m_items; }      // display texts
    QStringList Values() const { return m_values; }    // keys, parallel to Items
    bool IsSelected(int i) const { return m_selected.value(i); }
    void SetSelected(int i, bool on);                  // notifies
    void SelectAll();                                  // notifies
    int SelectedCount() const;
    QString SelectedValues() const;  // in item order; the item text stands in for a missing value
    QString Text() const;            // the box text

    void showPopup() override;
    void hidePopup() override;
    bool isPopupVisible() const;

Q_SIGNALS:
    void Changed();

protected:
    void paintEvent(QPaintEvent *) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    enum Press { PressNone, PressOnRow, PressOnCheck };  // where the button went down in the list
    void syncFromPopup();
    QRect checkRect(int row) const;  // the check box of a row, in viewport coordinates
    void toggleRow(int row);

    QStringList m_items;        // display texts
    QStringList m_values;       // keys
    QList<bool> m_selected;     // per item
    QListWidget *m_popup = nullptr;  // the drop-down, made on first use
    Press m_press = PressNone;  // the press of the click being made in the list
};

// Two stacked arrows ("RxSpinButton"): the day spin of date controls.
class TRxSpinButton : public QWidget
{
    Q_OBJECT
public:
    explicit TRxSpinButton(QWidget *parent = nullptr);
Q_SIGNALS:
    void TopClick();
    void BottomClick();
protected:
    void resizeEvent(QResizeEvent *) override;
private:
    QWidget *m_up, *m_down;
};

class TfrmAskMe : public QDialog
{
    Q_OBJECT
public:
    // Builds every row (starting values computed, list queries opened); raises the
    // database's message when a list query or a DefSQL fails.
    explicit TfrmAskMe(TParamAskMeList *list, QWidget *parent = nullptr);
    ~TfrmAskMe() override;

    TParamAskMeList *List() const { return m_list; }
    QPushButton *BitBtnOK() const { return m_ok; }
    QPushButton *BitBtnCancel() const { return m_cancel; }
    int LabelColumnWidth() const { return m_labelWidth; }

    // The OK step without closing: every control read back, remembered values stored.
    // Raises "Не найден параметр " + name for a parameter without a control.
    void AcceptValues();
    // Reads the control of parameter i back into it (sets Changed).
    void ReadControl(int i);

public Q_SLOTS:
    void BitBtnOKClick();
    void CompExit(QWidget *control);
    void CompEnter(QWidget *control);
    void CompChange(QWidget *control);
    void RxSpinButtonTopClick();
    void RxSpinButtonBottomClick();
    void SelAllSpeedButtonClick();

private:
    struct Row
    {
        QLabel *label = nullptr;
        QWidget *control = nullptr;            // the input control (date part for type 7)
        vorn::Query *query = nullptr;          // list query of types 5 and 6
        vorn::DataSource *source = nullptr;
        bool allParamsFound = false;           // the list query's first opening found all
    };

    int BuildRow(int i);            // returns the row width
    void OpenListQuery(int i);
    void FillListControl(int i);
    void PositionLookup(int i);
    void ShowValue(int i);
    bool ListUsesChanged(int i) const;
    void HandleChange(const QString &name);
    void SpinDay(QObject *button, int days);
    int RowOf(QWidget *w) const;
    void FocusMoved(QWidget *old, QWidget *now);

    TParamAskMeList *m_list;        // not owned
    QList<Row> m_rows;              // parallel to the list
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    int m_labelWidth = 0;
    int m_filling = 0;              // >0 while the dialog itself sets controls
    QMetaObject::Connection m_focusLink;  // to the application's focus changes
};

// The list of an object and whether to go on: the dialog for a list with parameters,
// the question "Выполнить :" + caption for one without. The caller owns the list.
std::unique_ptr<TParamAskMeList> PrepareParams(int objectId, int objectKind, const QString &caption, bool *proceed,
                                               vorn::Database *db = nullptr, vorn::SettingsStore *settings = nullptr);
// Shows the dialog for the list; true on OK.
bool AskParams(const QString &caption, TParamAskMeList *list);
// Computes every starting value as the dialog would and stores remembered values,
// without showing anything.
void ApplyDefaults(TParamAskMeList *list);

// The text of an exception the parameter machinery or the dataset layer raised.
QString AskMeErrorText(const std::exception &e);
