// The parameter prompt. Rows are laid out in pixels (label column, rows 30 px apart)
// so the form looks the same whatever the style; every control is named after its
// parameter and carries its row number as "Tag", which is how handlers find their way
// back from a control to the parameter.
#include "execution/Askme.h"

#include "VornImages.h"
#include "database/VornMessages.h"
#include "platform/core/DecimalText.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"

#include <QApplication>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeView>
#include <cmath>
#include <limits>

namespace {

constexpr int kRowStep = 30;
constexpr int kTop = 10;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;

// Date and time boxes take a whole value typed over a selected one ("01.01.2020",
// "01012020", "1.1.2020"), as a masked edit does. Qt's own box would type into the
// section under the caret and read "01.01.2020" over "11.12.2026" as 11.01.2020.
template <class Base>
class TAskTypedOver : public Base
{
public:
    using Base::Base;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        const QString t = e->text();
        const bool digit = t.size() == 1 && t.at(0).isDigit();
        const bool separator = t.size() == 1 && QStringLiteral("./-,:").contains(t.at(0));
        QLineEdit *line = this->lineEdit();
        if (digit && line->hasSelectedText() && line->selectedText() == line->text()) {
            this->setCurrentSectionIndex(0);
            this->setSelectedSection(this->sectionAt(0));
        }
        // a separator right after a section filled itself and moved on is the one typed
        // by habit: moving again would skip a section
        if (separator && m_advanced) {
            m_advanced = false;
            e->accept();
            return;
        }
        const int before = this->currentSectionIndex();
        Base::keyPressEvent(e);
        m_advanced = digit && this->currentSectionIndex() != before;
    }

private:
    bool m_advanced = false;  // the last digit completed its section and moved on
};

// Numeric edit of types 2, 3 and 4: grouped digits, fixed decimals; type 3 drops
// trailing zeros as its display format ",0.######" does. The integer type is 32
// bits wide, as its field in the parameter dataset. A number the edit cannot hold
// (past its range, or with more digits than a double keeps exactly) stays in the
// box as typed, and reading the box says why it is refused instead of quietly
// taking another value.
class TAskNumEdit : public QDoubleSpinBox
{
public:
    TAskNumEdit(int decimals, bool trimZeros, QWidget *parent) : QDoubleSpinBox(parent), m_trim(trimZeros)
    {
        setButtonSymbols(QAbstractSpinBox::NoButtons);
        setGroupSeparatorShown(true);
        setDecimals(decimals);
        if (decimals == 0)
            setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
        else
            setRange(-1e15, 1e15);
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        setKeyboardTracking(false);
    }
    QString textFromValue(double v) const override
    {
        QString s = locale().toString(v, 'f', decimals());
        if (m_trim && decimals() > 0) {
            const QChar dp = locale().decimalPoint().at(0);
            if (s.contains(dp)) {
                while (s.endsWith(u'0'))
                    s.chop(1);
                if (s.endsWith(dp))
                    s.chop(1);
            }
        }
        return s;
    }
    QValidator::State validate(QString &text, int &pos) const override
    {
        const QValidator::State s = QDoubleSpinBox::validate(text, pos);
        const QString t = typedNumber(text);
        const qsizetype dot = t.indexOf(u'.');
        if (s == QValidator::Invalid && !t.isEmpty() && (dot < 0 ? 0 : t.size() - dot - 1) <= decimals())
            return QValidator::Intermediate;
        return s;
    }

    // Shows a value; one the edit cannot hold is shown as it is, to be refused on reading.
    void SetNumber(const QVariant &v)
    {
        const bool whole = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int;
        const QString t = whole ? QString::number(v.toLongLong()) : vorn::decimal::plain(v.toDouble());
        const double d = v.toDouble();
        if (d >= minimum() && d <= maximum() && vorn::decimal::normalized(t) == vorn::decimal::plain(d)) {
            setValue(d);
            return;
        }
        const QLocale l = locale();
        lineEdit()->setText(vorn::decimal::localized(t, l.groupSeparator(), l.decimalPoint()));
    }

    // Why the typed text cannot be taken as it stands; empty when it can.
    QString Refusal() const
    {
        const QString t = typedNumber(lineEdit()->text());
        if (t.isEmpty())
            return QString();
        const QLocale l = locale();
        const QString shown = vorn::decimal::localized(vorn::decimal::normalized(t), l.groupSeparator(), l.decimalPoint());
        const double d = t.toDouble();
        if (!(d >= minimum() && d <= maximum())) {
            const QString lo = vorn::decimal::localized(vorn::decimal::plain(minimum()), l.groupSeparator(), l.decimalPoint());
            const QString hi = vorn::decimal::localized(vorn::decimal::plain(maximum()), l.groupSeparator(), l.decimalPoint());
            return decimals() == 0
                ? QStringLiteral("число %1 не помещается в целое (допустимо от %2 до %3)").arg(shown, lo, hi)
                : QStringLiteral("число %1 вне допустимого диапазона (от %2 до %3)").arg(shown, lo, hi);
        }
        if (vorn::decimal::normalized(t) != vorn::decimal::plain(d))
            return QStringLiteral("число %1 нельзя сохранить точно: в нём больше 15 значащих цифр").arg(shown);
        return QString();
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        // Enter would put the previous value back before the dialog reads the box;
        // let the default button read what is typed, and refuse it there
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !Refusal().isEmpty()) {
            e->ignore();
            return;
        }
        QDoubleSpinBox::keyPressEvent(e);
    }
    void focusOutEvent(QFocusEvent *e) override
    {
        // the spin box would put the previous value back without a word
        if (!Refusal().isEmpty()) {
            QWidget::focusOutEvent(e);
            return;
        }
        QDoubleSpinBox::focusOutEvent(e);
    }

private:
    // The text in plain notation ("-1234.5"); empty when it is not a number.
    QString typedNumber(QString t) const
    {
        const QLocale l = locale();
        t.remove(l.groupSeparator()).remove(u' ').remove(QChar(0xA0)).remove(QChar(0x202F));
        t.replace(l.decimalPoint(), QStringLiteral("."));
        return vorn::decimal::normalized(t).isEmpty() ? QString() : t;
    }

    bool m_trim;
};

QPixmap selectAllPicture()
{
    static const QPixmap pm = vornBitmap(QStringLiteral("BTNSELECTALL"));  // loaded once, shared
    return pm;
}

QString shortDateFormat()
{
    // Qt's short Russian format is "dd.MM.yyyy"; two-digit years would be ambiguous.
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() != b.isNull())
        return false;
    return a.isNull() || a == b;
}

} // namespace

QString AskMeErrorText(const std::exception &e)
{
    if (auto *d = dynamic_cast<const vorn::DataError *>(&e))
        return d->message();
    if (auto *p = dynamic_cast<const EParamAskMe *>(&e))
        return p->message();
    return QString::fromUtf8(e.what());
}

// ---------------------------------------------------------------- MultiSelectCombo

const QString MultiSelectCombo::PrefAllSel = QStringLiteral("{ВСЕ} ");
const QString MultiSelectCombo::PrefMultiSel = QStringLiteral("{..} ");

MultiSelectCombo::MultiSelectCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

void MultiSelectCombo::SetItems(const QStringList &items, const QStringList &values)
{
    m_items = items;
    m_values = values;
    m_selected = QList<bool>(items.size(), false);
    update();
}

void MultiSelectCombo::SetSelected(int i, bool on)
{
    if (i < 0 || i >= m_selected.size() || m_selected[i] == on)
        return;
    m_selected[i] = on;
    update();
    Q_EMIT Changed();
}

void MultiSelectCombo::SelectAll()
{
    m_selected.fill(true);
    update();
    Q_EMIT Changed();
}

int MultiSelectCombo::SelectedCount() const
{
    return int(m_selected.count(true));
}

QString MultiSelectCombo::SelectedValues() const
{
    QStringList out;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_selected.value(i))
            out << (i < m_values.size() ? m_values.at(i) : m_items.at(i));
    return out.join(QStringLiteral(", "));
}

QString MultiSelectCombo::Text() const
{
    QStringList out;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_selected.value(i))
            out << m_items.at(i);
    const int n = int(out.size());
    const QString joined = out.join(QStringLiteral(", "));
    if (n > 0 && n == m_items.size())
        return PrefAllSel + joined;
    if (n > 1)
        return PrefMultiSel + joined;
    return joined;
}

void MultiSelectCombo::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText = fontMetrics().elidedText(Text(), Qt::ElideRight, width() - 24);
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

void MultiSelectCombo::showPopup()
{
    if (!m_popup) {
        m_popup = new QListWidget(this);
        m_popup->setWindowFlags(Qt::Popup);
        m_popup->setSelectionMode(QAbstractItemView::ExtendedSelection);
        m_popup->installEventFilter(this);
        m_popup->viewport()->installEventFilter(this);
        connect(m_popup, &QListWidget::itemSelectionChanged, this, &MultiSelectCombo::syncFromPopup);
    }
    const QSignalBlocker block(m_popup);
    m_popup->clear();
    m_popup->addItems(m_items);
    for (int i = 0; i < m_items.size(); ++i) {
        QListWidgetItem *it = m_popup->item(i);
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setSelected(m_selected.value(i));
        it->setCheckState(m_selected.value(i) ? Qt::Checked : Qt::Unchecked);
    }
    const int rows = std::clamp(int(m_items.size()), 1, maxVisibleItems());
    const int rowHeight = m_items.isEmpty() ? fontMetrics().height() + 4 : m_popup->sizeHintForRow(0);
    const int h = rows * rowHeight + 2 * m_popup->frameWidth();
    m_popup->setGeometry(QRect(mapToGlobal(QPoint(0, height())), QSize(std::max(width(), 150), h)));
    m_press = PressNone;
    m_popup->show();
    m_popup->setFocus();
}

void MultiSelectCombo::hidePopup()
{
    if (m_popup)
        m_popup->hide();
    QComboBox::hidePopup();
}

bool MultiSelectCombo::isPopupVisible() const
{
    return m_popup && m_popup->isVisible();
}

void MultiSelectCombo::syncFromPopup()
{
    bool any = false;
    for (int i = 0; i < m_popup->count() && i < m_selected.size(); ++i) {
        QListWidgetItem *it = m_popup->item(i);
        const bool on = it->isSelected();
        it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        if (m_selected[i] != on) {
            m_selected[i] = on;
            any = true;
        }
    }
    if (any) {
        update();
        Q_EMIT Changed();
    }
}

QRect MultiSelectCombo::checkRect(int row) const
{
    QListWidgetItem *it = m_popup->item(row);
    if (!it)
        return {};
    QStyleOptionViewItem opt;
    opt.initFrom(m_popup->viewport());
    opt.rect = m_popup->visualItemRect(it);
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = it->text();
    opt.checkState = it->checkState();
    const QRect r = m_popup->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, m_popup);
    // the margin left of the box counts as the box
    return QRect(opt.rect.left(), opt.rect.top(), r.right() + 3 - opt.rect.left(), opt.rect.height());
}

void MultiSelectCombo::toggleRow(int row)
{
    if (QListWidgetItem *it = m_popup->item(row)) {
        m_popup->setCurrentItem(it, QItemSelectionModel::NoUpdate);
        it->setSelected(!it->isSelected());
    }
}

bool MultiSelectCombo::eventFilter(QObject *o, QEvent *e)
{
    if (m_popup && (o == m_popup || o == m_popup->viewport())) {
        // A plain click on a row chooses it alone and closes, as in a multi-select list;
        // with Shift or Ctrl held the list stays open until the key is released. A click
        // on a row's check box ticks it and leaves the list open. The release of the click
        // that opened the list (it lands here while the list grabs the mouse) closes nothing.
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *me = static_cast<QMouseEvent *>(e);
            const QPoint global = me->globalPosition().toPoint();
            if (!m_popup->rect().contains(m_popup->mapFromGlobal(global))) {
                // beside the list: a list widget never gets the popup's own close-on-click
                hidePopup();
                return true;
            }
            const QPoint at = m_popup->viewport()->mapFromGlobal(global);
            if (!m_popup->viewport()->rect().contains(at))
                break;  // on the frame
            const QModelIndex ix = m_popup->indexAt(at);
            if (ix.isValid() && me->button() == Qt::LeftButton && checkRect(ix.row()).contains(at)) {
                if (e->type() == QEvent::MouseButtonPress)
                    toggleRow(ix.row());
                m_press = PressOnCheck;
                return true;
            }
            m_press = PressOnRow;
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto *me = static_cast<QMouseEvent *>(e);
            const Press press = std::exchange(m_press, PressNone);
            if (press == PressOnCheck)
                return true;
            if (press == PressOnRow && !(me->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
                hidePopup();
            break;
        }
        case QEvent::KeyRelease: {
            const int k = static_cast<QKeyEvent *>(e)->key();
            if (k == Qt::Key_Shift || k == Qt::Key_Control)
                hidePopup();
            break;
        }
        case QEvent::KeyPress: {
            const int k = static_cast<QKeyEvent *>(e)->key();
            if (k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter) {
                hidePopup();
                return true;
            }
            if (k == Qt::Key_Space) {  // ticks the current row
                toggleRow(m_popup->currentRow());
                return true;
            }
            break;
        }
        default: break;
        }
    }
    return QComboBox::eventFilter(o, e);
}

// ---------------------------------------------------------------- TRxSpinButton

TRxSpinButton::TRxSpinButton(QWidget *parent) : QWidget(parent)
{
    auto make = [this](Qt::ArrowType a) {
        auto *b = new QToolButton(this);
        b->setArrowType(a);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    auto *up = make(Qt::UpArrow);
    auto *down = make(Qt::DownArrow);
    m_up = up;
    m_down = down;
    connect(up, &QToolButton::clicked, this, &TRxSpinButton::TopClick);
    connect(down, &QToolButton::clicked, this, &TRxSpinButton::BottomClick);
}

void TRxSpinButton::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

// ---------------------------------------------------------------- TfrmAskMe

TfrmAskMe::TfrmAskMe(TParamAskMeList *list, QWidget *parent) : QDialog(parent), m_list(list)
{
    setObjectName(QStringLiteral("frmAskMe"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPixelSize(13);
    setFont(f);

    const QFontMetrics fm(f);
    int widest = 0;
    for (int i = 0; i < list->Count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(list->Items(i)->ParLabel));
    m_labelWidth = std::max(widest, 100) + 10;

    ++m_filling;
    int rowWidth = 0;
    m_rows.resize(list->Count());
    for (int i = 0; i < list->Count(); ++i)
        rowWidth = std::max(rowWidth, BuildRow(i));
    --m_filling;

    const int n = list->Count();
    const int clientW = m_labelWidth + rowWidth + 30;
    const int clientH = n * kRowStep + kButtonHeight + 20;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtnOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    const int btnTop = n * kRowStep + kTop;
    m_ok->setGeometry(clientW / 2 - 10 - kButtonWidth, btnTop, kButtonWidth, kButtonHeight);
    m_cancel->setGeometry(clientW / 2 + 10, btnTop, kButtonWidth, kButtonHeight);
    connect(m_ok, &QPushButton::clicked, this, &TfrmAskMe::BitBtnOKClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(clientW, clientH);

    m_focusLink = connect(qApp, &QApplication::focusChanged, this, &TfrmAskMe::FocusMoved);
}

TfrmAskMe::~TfrmAskMe()
{
    // Hiding in QDialog's destructor moves the focus once more; the rows are gone by then.
    disconnect(m_focusLink);
}

int TfrmAskMe::BuildRow(int i)
{
    TParamAskMe *p = m_list->Items(i);
    Row &row = m_rows[i];
    LoadStartValue(*p, *m_list);

    const int top = i * kRowStep + kTop;
    const int left = m_labelWidth + 10;
    row.label = new QLabel(p->ParLabel, this);
    row.label->setObjectName(QStringLiteral("lbl") + p->ParName);
    row.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.label->setGeometry(5, top, m_labelWidth, kEditHeight);

    auto defaultWidth = [&](int w) { return p->Width > 0 ? p->Width : w; };
    auto place = [&](QWidget *w, const QString &name, int width) {
        w->setObjectName(name);
        w->setProperty("Tag", i);
        w->setGeometry(left, top, width, kEditHeight);
        return width;
    };
    auto spinFor = [&](QWidget *edit, const QString &name) {
        auto *spin = new TRxSpinButton(this);
        spin->setObjectName(QStringLiteral("sbtn__") + name);
        spin->setProperty("Tag", -1);
        spin->setToolTip(QStringLiteral("Изменить дату на день"));
        const int side = edit->height() - 1;
        spin->setGeometry(edit->geometry().right() + 1, edit->y(), side, side);
        connect(spin, &TRxSpinButton::TopClick, this, &TfrmAskMe::RxSpinButtonTopClick);
        connect(spin, &TRxSpinButton::BottomClick, this, &TfrmAskMe::RxSpinButtonBottomClick);
        return spin;
    };
    auto dateEdit = [&]() {
        auto *d = new TAskTypedOver<QDateEdit>(this);
        d->setCalendarPopup(true);
        d->setDisplayFormat(shortDateFormat());
        return d;
    };

    switch (p->IdParTyp) {
    case ptDate: {
        auto *d = dateEdit();
        const int w = place(d, p->ParName, defaultWidth(150));
        row.control = d;
        ShowValue(i);
        return w + spinFor(d, p->ParName)->width();
    }
    case ptMoney:
    case ptNumber:
    case ptInteger: {
        const int decimals = p->IdParTyp == ptMoney ? 2 : p->IdParTyp == ptNumber ? 6 : 0;
        auto *e = new TAskNumEdit(decimals, p->IdParTyp == ptNumber, this);
        row.control = e;
        const int w = place(e, p->ParName, defaultWidth(200));
        ShowValue(i);
        return w;
    }
    case ptLookup:
    case ptMultiLookup: {
        QComboBox *box;
        if (p->IdParTyp == ptLookup) {
            box = new QComboBox(this);
            box->setModel(new QStandardItemModel(box));
        } else {
            box = new MultiSelectCombo(this);
        }
        row.control = box;
        const int w = place(box, p->ParName, defaultWidth(200));
        row.query = new vorn::Query(this);
        row.query->setObjectName(QStringLiteral("query_") + p->ParName);
        row.query->setTag(-1);
        row.query->setDatabaseName(p->Lookup->DatabaseName);
        row.query->setDatabase(m_list->Database());
        row.source = new vorn::DataSource(row.query, this);
        row.source->setObjectName(QStringLiteral("datasource_") + p->ParName);
        row.source->setTag(-1);
        OpenListQuery(i);
        row.allParamsFound = row.query->property("allParamsFound").toBool();
        if (p->IdParTyp == ptLookup) {
            if (p->IdTypDefVal != dvBuiltIn && !p->Lookup->KeyValue.isEmpty())
                PositionLookup(i);
            connect(box, &QComboBox::currentIndexChanged, this, [this, box] {
                if (!m_filling)
                    CompChange(box);
            });
            ReadControl(i);
            return w;
        }
        auto *multi = static_cast<MultiSelectCombo *>(box);
        connect(multi, &MultiSelectCombo::Changed, this, [this, multi] {
            if (!m_filling)
                CompChange(multi);
        });
        ReadControl(i);
        auto *all = new QToolButton(this);
        all->setObjectName(QStringLiteral("sbtn__") + p->ParName);
        all->setProperty("Tag", -1);
        all->setToolTip(QStringLiteral("Выделить всё"));
        all->setIcon(QIcon(selectAllPicture()));
        all->setFocusPolicy(Qt::NoFocus);
        const int side = box->height() - 2;
        all->setGeometry(box->geometry().right() + 1, box->y() + 1, side, side);
        connect(all, &QToolButton::clicked, this, &TfrmAskMe::SelAllSpeedButtonClick);
        return w + side;
    }
    case ptDateTime: {
        auto *d = dateEdit();
        const QString dateName = QStringLiteral("DatePart_") + p->ParName;
        const int w = place(d, dateName, defaultWidth(120));
        row.control = d;
        auto *spin = spinFor(d, dateName);
        auto *t = new TAskTypedOver<QTimeEdit>(this);
        t->setObjectName(QStringLiteral("TimePart_") + p->ParName);
        t->setProperty("Tag", i);
        t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        const int tw = std::max(0, w - d->height());
        t->setGeometry(spin->geometry().right() + 1 + 10, top, tw, kEditHeight);
        ShowValue(i);
        return w + spin->width() + 10 + tw;
    }
    default:
        if (p->IdParTyp > ptPassword)
            return 0;  // a code without a control: the label only
        auto *e = new QLineEdit(this);
        if (p->IdParTyp == ptPassword) {
            e->setEchoMode(QLineEdit::Password);
            e->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
        }
        row.control = e;
        const int w = place(e, p->ParName, defaultWidth(200));
        ShowValue(i);
        return w;
    }
}

void TfrmAskMe::OpenListQuery(int i)
{
    TParamAskMe *p = m_list->Items(i);
    vorn::Query *q = m_rows[i].query;
    q->close();
    q->setSql(p->Lookup->SQL);
    const bool all = ApplyParamsToQuery(*q, *m_list);
    q->setProperty("allParamsFound", all);
    q->open();
    q->first();
    FillListControl(i);
}

void TfrmAskMe::FillListControl(int i)
{
    TParamAskMe *p = m_list->Items(i);
    vorn::Query *q = m_rows[i].query;
    const TDBLookupAskMe &lk = *p->Lookup;
    QStringList display;
    for (const QString &s : lk.LookupDisplay.split(u';', Qt::SkipEmptyParts))
        display << s.trimmed();
    if (display.isEmpty())
        display << lk.LookupField;
    QList<int> displayCols;
    for (const QString &name : display)
        if (vorn::Field *f = q->findField(name))
            displayCols << f->index();
    if (displayCols.isEmpty())
        displayCols << 0;
    const int rows = q->recordCount();

    ++m_filling;
    if (p->IdParTyp == ptMultiLookup) {
        auto *box = static_cast<MultiSelectCombo *>(m_rows[i].control);
        vorn::Field *key = q->findField(lk.LookupField);
        QStringList items, values;
        for (int r = 0; r < rows; ++r) {
            items << q->valueAt(r, displayCols.first()).toString();
            values << (key ? q->valueAt(r, key->index()).toString() : items.last());
        }
        box->SetItems(items, values);
        box->SelectAll();
    } else {
        auto *box = static_cast<QComboBox *>(m_rows[i].control);
        auto *model = static_cast<QStandardItemModel *>(box->model());
        model->clear();
        // A negative index shows every column of the list in the drop-down, the closed
        // box keeping the first display column; otherwise box and list show the chosen one.
        const bool allColumns = lk.LookupDisplayIndex < 0 && q->fieldCount() > 1;
        QList<int> cols;
        if (allColumns)
            for (int c = 0; c < q->fieldCount(); ++c)
                cols << c;
        else
            cols << displayCols.value(std::max(0, lk.LookupDisplayIndex), displayCols.first());
        for (int r = 0; r < rows; ++r) {
            QList<QStandardItem *> items;
            for (int c : cols) {
                const int fi = c;
                vorn::Field *f = q->field(fi);
                items << new QStandardItem(vorn::Field::formatValue(q->valueAt(r, fi), f->dataType(), f->displayFormat()));
            }
            model->appendRow(items);
        }
        if (allColumns) {
            auto *view = qobject_cast<QTreeView *>(box->view());
            if (!view) {
                view = new QTreeView(box);
                view->setRootIsDecorated(false);
                view->setHeaderHidden(true);
                view->setAllColumnsShowFocus(true);
                box->setView(view);
            }
            view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        }
        box->setModelColumn(allColumns ? displayCols.first() : 0);
        box->setCurrentIndex(rows > 0 ? std::max(0, q->recNo() - 1) : -1);
    }
    --m_filling;
}

void TfrmAskMe::PositionLookup(int i)
{
    TParamAskMe *p = m_list->Items(i);
    vorn::Query *q = m_rows[i].query;
    vorn::Field *key = q->findField(p->Lookup->LookupField);
    if (!key)
        return;
    for (int r = 0; r < q->recordCount(); ++r) {
        if (q->valueAt(r, key->index()).toString() == p->Lookup->KeyValue) {
            q->setRecNo(r + 1);
            ++m_filling;
            static_cast<QComboBox *>(m_rows[i].control)->setCurrentIndex(r);
            --m_filling;
            return;
        }
    }
    // a key the list does not hold leaves the current row
}

void TfrmAskMe::ShowValue(int i)
{
    TParamAskMe *p = m_list->Items(i);
    QWidget *c = m_rows[i].control;
    if (!c)
        return;
    ++m_filling;
    switch (p->IdParTyp) {
    case ptDate:
        static_cast<QDateEdit *>(c)->setDate(CoerceToParamType(p->Value, ptDate).toDate());
        break;
    case ptMoney:
    case ptNumber:
    case ptInteger: static_cast<TAskNumEdit *>(c)->SetNumber(p->Value); break;
    case ptLookup: PositionLookup(i); break;
    case ptMultiLookup: break;  // always every row; a DefSQL result does not preselect
    case ptDateTime: {
        const QDateTime dt = CoerceToParamType(p->Value, ptDateTime).toDateTime();
        static_cast<QDateEdit *>(c)->setDate(dt.date());
        if (auto *t = findChild<QTimeEdit *>(QStringLiteral("TimePart_") + p->ParName, Qt::FindDirectChildrenOnly))
            t->setTime(dt.time());
        break;
    }
    default:
        if (auto *e = qobject_cast<QLineEdit *>(c))
            e->setText(p->Value.toString());
        break;
    }
    --m_filling;
}

void TfrmAskMe::ReadControl(int i)
{
    TParamAskMe *p = m_list->Items(i);
    const QString name = p->IdParTyp == ptDateTime ? QStringLiteral("DatePart_") + p->ParName : p->ParName;
    QWidget *c = findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
    if (!c || p->IdParTyp > ptPassword)
        throw EParamAskMe(QStringLiteral("Не найден параметр ") + p->ParName);
    if (auto *number = dynamic_cast<TAskNumEdit *>(c)) {
        if (const QString why = number->Refusal(); !why.isEmpty())
            throw EParamAskMe(QStringLiteral("Параметр «%1»: %2").arg(p->ParLabel.isEmpty() ? p->ParName : p->ParLabel, why));
    }
    // Enter on the default button reads without leaving: take what is typed so far.
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(c))
        spin->interpretText();
    if (auto *t = findChild<QTimeEdit *>(QStringLiteral("TimePart_") + p->ParName, Qt::FindDirectChildrenOnly))
        t->interpretText();
    const QVariant old = p->Value;
    bool emptyBefore = false;
    switch (p->IdParTyp) {
    case ptDate: p->Value = static_cast<QDateEdit *>(c)->date(); break;
    case ptMoney:
    case ptNumber: p->Value = static_cast<QDoubleSpinBox *>(c)->value(); break;
    case ptInteger: p->Value = qint64(std::nearbyint(static_cast<QDoubleSpinBox *>(c)->value())); break;
    case ptLookup: {
        emptyBefore = old.isNull() || !old.isValid();
        auto *box = static_cast<QComboBox *>(c);
        vorn::Query *q = m_rows[i].query;
        vorn::Field *key = q ? q->findField(p->Lookup->LookupField) : nullptr;
        const int r = box->currentIndex();
        if (key && r >= 0 && r < q->recordCount()) {
            q->setRecNo(r + 1);
            p->Value = q->valueAt(r, key->index());
            p->ValueKind = ValueKindOfFieldType(key->dataType(), p->ValueKind);
            p->Lookup->KeyValue = p->Value.toString();
            p->Lookup->DisplayText = box->currentText();
        } else {
            p->Value = QVariant();  // an empty list leaves the parameter without a value
            p->Lookup->KeyValue.clear();
            p->Lookup->DisplayText.clear();
        }
        break;
    }
    case ptMultiLookup: {
        emptyBefore = old.isNull() || old.toString().isEmpty();
        auto *box = static_cast<MultiSelectCombo *>(c);
        p->Value = box->SelectedValues();
        p->Lookup->KeyValue = p->Value.toString();
        p->Lookup->DisplayText = box->Text();
        break;
    }
    case ptDateTime: {
        auto *t = findChild<QTimeEdit *>(QStringLiteral("TimePart_") + p->ParName, Qt::FindDirectChildrenOnly);
        if (!t)
            throw EParamAskMe(QStringLiteral("Не найден параметр ") + p->ParName);
        p->Value = QDateTime(static_cast<QDateEdit *>(c)->date(), t->time());
        break;
    }
    default: p->Value = static_cast<QLineEdit *>(c)->text(); break;
    }
    p->Changed = emptyBefore || !sameValue(old, p->Value);
}

bool TfrmAskMe::ListUsesChanged(int i) const
{
    vorn::Query *q = m_rows[i].query;
    if (!q)
        return false;
    QStringList names;
    for (const vorn::Param &qp : q->params())
        names << qp.name();
    try {
        names << ScanMacros(m_list->Items(i)->Lookup->SQL);
    } catch (const EParamAskMe &) {
    }
    for (const QString &n : names)
        if (const TParamAskMe *p = m_list->FindOrNull(n); p && p->Changed)
            return true;
    return false;
}

void TfrmAskMe::HandleChange(const QString &name)
{
    const TParamAskMe *changed = m_list->FindOrNull(name);
    if (!changed)
        return;  // the date part of a date-time: no parameter of that name
    const int from = m_list->IndexOf(changed);
    ReadControl(from);
    for (int i = from + 1; i < m_list->Count(); ++i) {
        TParamAskMe *p = m_list->Items(i);
        if (m_rows[i].query && ListUsesChanged(i)) {
            OpenListQuery(i);
            if (p->IdParTyp == ptLookup)
                PositionLookup(i);
        }
        if (p->IdTypDefVal == dvSql) {
            LoadStartValue(*p, *m_list);
            ShowValue(i);
        }
    }
}

void TfrmAskMe::CompChange(QWidget *control)
{
    try {
        HandleChange(control->objectName());
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
    }
}

void TfrmAskMe::CompExit(QWidget *control)
{
    const int i = RowOf(control);
    if (i < 0)
        return;
    try {
        ReadControl(i);
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
    }
}

void TfrmAskMe::CompEnter(QWidget *control)
{
    const int i = RowOf(control);
    if (i < 0)
        return;
    TParamAskMe *p = m_list->Items(i);
    try {
        if (p->IdParTyp <= ptInteger && p->IdTypDefVal == dvSql) {
            LoadStartValue(*p, *m_list);
            ShowValue(i);
        } else if (m_rows[i].query && m_rows[i].allParamsFound && ListUsesChanged(i)) {
            OpenListQuery(i);
            if (p->IdParTyp == ptLookup)
                PositionLookup(i);
        }
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
    }
}

int TfrmAskMe::RowOf(QWidget *w) const
{
    for (; w; w = w->parentWidget()) {
        if (w->parentWidget() == this) {
            bool ok = false;
            const int tag = w->property("Tag").toInt(&ok);
            return ok && tag >= 0 && tag < m_rows.size() ? tag : -1;
        }
    }
    return -1;
}

void TfrmAskMe::FocusMoved(QWidget *old, QWidget *now)
{
    const int from = RowOf(old), to = RowOf(now);
    if (from == to)
        return;
    // the control itself, not an inner editor, identifies the row
    if (from >= 0)
        CompExit(m_rows[from].control);
    if (to >= 0)
        CompEnter(m_rows[to].control);
}

void TfrmAskMe::SpinDay(QObject *button, int days)
{
    // The button is named "sbtn__" + its control's name.
    const QString target = button->objectName().mid(6);
    auto *edit = findChild<QDateEdit *>(target, Qt::FindDirectChildrenOnly);
    if (!edit)
        return;
    edit->setDate(edit->date().addDays(days));
    try {
        HandleChange(target);
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
    }
}

void TfrmAskMe::RxSpinButtonTopClick() { SpinDay(sender(), 1); }
void TfrmAskMe::RxSpinButtonBottomClick() { SpinDay(sender(), -1); }

void TfrmAskMe::SelAllSpeedButtonClick()
{
    const QString target = sender()->objectName().mid(6);
    auto *box = findChild<MultiSelectCombo *>(target, Qt::FindDirectChildrenOnly);
    if (!box)
        return;
    ++m_filling;
    box->SelectAll();
    --m_filling;
    try {
        HandleChange(target);
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
    }
}

void TfrmAskMe::AcceptValues()
{
    for (int i = 0; i < m_list->Count(); ++i) {
        TParamAskMe *p = m_list->Items(i);
        ReadControl(i);
        if (p->IdTypDefVal == dvRemembered)
            StoreRememberedValue(*p, *m_list);
    }
}

void TfrmAskMe::BitBtnOKClick()
{
    try {
        AcceptValues();
    } catch (const std::exception &e) {
        ShowError(AskMeErrorText(e));
        return;
    }
    accept();
}

// ---------------------------------------------------------------- driving operations

std::unique_ptr<TParamAskMeList> PrepareParams(int objectId, int objectKind, const QString &caption, bool *proceed,
                                               vorn::Database *db, vorn::SettingsStore *settings)
{
    auto list = std::make_unique<TParamAskMeList>(db, objectId, objectKind, settings);
    bool go;
    if (list->Count() == 0)
        go = ShowMessage(TMsgKind::Confirmation, QStringLiteral("Выполнить :") + caption,
                         int(TMsgButton::Ok) | int(TMsgButton::Cancel), QStringLiteral("Запрос")) == TMsgButton::Ok;
    else
        go = AskParams(caption, list.get());
    if (proceed)
        *proceed = go;
    return list;
}

bool AskParams(const QString &caption, TParamAskMeList *list)
{
    TfrmAskMe dlg(list, QApplication::activeWindow());
    dlg.setWindowTitle(caption);
    if (QScreen *screen = dlg.screen())
        dlg.move(screen->availableGeometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
    return ExecDialog(&dlg) == QDialog::Accepted;  // tests answer the prompt through the dialog runner
}

void ApplyDefaults(TParamAskMeList *list)
{
    TfrmAskMe dlg(list);
    dlg.AcceptValues();
}
