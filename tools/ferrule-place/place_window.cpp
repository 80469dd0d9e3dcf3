#include "place_window.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>

#include "edit_canvas.h"

namespace place {

namespace {

QColor FromColorRef(uint32_t c) { return QColor(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF); }
uint32_t ColorRefOf(const QColor& c) { return editwnd::MakeColourRef(c.red(), c.green(), c.blue()); }

QIcon Swatch(uint32_t colorref) {
    QPixmap square(16, 16);
    square.fill(FromColorRef(colorref));
    return QIcon(square);
}

QSlider* Slider(const char* name, int low, int high) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(low, high);
    slider->setMinimumWidth(100);
    return slider;
}

// A large output is shown smaller: the model scales the corners to the canvas and back.
QSize CanvasSize(const render::Output& o) {
    const double scale = std::min({1.0, 960.0 / o.width, 720.0 / o.height});
    return QSize(std::max(1, static_cast<int>(o.width * scale)), std::max(1, static_cast<int>(o.height * scale)));
}

}  // namespace

PlaceWindow::PlaceWindow(PlaceDocument& document, size_t item, std::optional<int> n) : document_(document) {
    setWindowTitle(QString::fromStdString(document.file().path()) + "[*] - ferrule-place");
    QMenu* file = menuBar()->addMenu("&File");
    QAction* save = file->addAction("&Save", this, [this] { Save(); });
    save->setObjectName("save");
    save->setShortcut(QKeySequence::Save);
    file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);
    QMenu* edit = BuildEditMenu();
    menuBar()->addMenu(edit);

    items_ = new QListWidget;
    items_->setObjectName("items");
    for (const PlaceableItem& p : document.items())
        items_->addItem(QString("%1:%2  %3").arg(p.channel).arg(p.index).arg(QString::fromStdString(p.name)));
    items_->setFixedWidth(170);
    canvas_ = new EditCanvas;
    canvas_->setObjectName("canvas");
    canvas_->setFixedSize(CanvasSize(document.timeline().output));
    canvas_->changed = [this] { Refresh(); };
    canvas_->context_menu = [edit](QPoint at) { edit->popup(at); };
    frame_ = Slider("frame", 0, 0);
    frame_label_ = new QLabel;

    auto* frame_row = new QHBoxLayout;
    frame_row->addWidget(frame_label_);
    frame_row->addWidget(frame_);
    auto* right = new QVBoxLayout;
    right->addWidget(canvas_);
    right->addLayout(frame_row);
    right->addWidget(BuildProperties());
    auto* body = new QWidget;
    auto* columns = new QHBoxLayout(body);
    columns->addWidget(items_);
    columns->addLayout(right);
    setCentralWidget(body);
    statusBar();

    Open(item, n);
    items_->setCurrentRow(static_cast<int>(item));
    connect(items_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || static_cast<size_t>(row) == item_) return;
        if (MayLeave()) return Open(static_cast<size_t>(row), std::nullopt);
        const QSignalBlocker keep(items_);
        items_->setCurrentRow(static_cast<int>(item_));
    });
    connect(frame_, &QSlider::valueChanged, this, &PlaceWindow::ShowFrame);
}

// The edit window's context menu, with undo and redo, each with a shortcut.
QMenu* PlaceWindow::BuildEditMenu() {
    auto* menu = new QMenu("&Edit", this);
    undo_ = menu->addAction("Undo", QKeySequence::Undo, this, [this] { canvas_->Key(editwnd::kKeyZ, true); });
    redo_ = menu->addAction("Redo", QKeySequence("Ctrl+Y"), this, [this] { canvas_->Key(editwnd::kKeyY, true); });
    const struct {
        const char* text;
        const char* keys;
        int id;
    } kCommands[] = {{"Rotate 180 Degree", "Ctrl+T", editwnd::kCommandRotate180},
                     {"Rotate 90 Degree CW", "Ctrl+R", editwnd::kCommandRotate90Clockwise},
                     {"Rotate 90 Degree CCW", "Ctrl+L", editwnd::kCommandRotate90CounterClockwise},
                     {"Enlarge to Full Screen", "Ctrl+F", editwnd::kCommandEnlarge},
                     {"Enlarge to Full Screen(Keep Aspect)", "Ctrl+Shift+F", editwnd::kCommandEnlargeKeepAspect}};
    for (const auto& c : kCommands) {
        if (c.id == editwnd::kCommandRotate180 || c.id == editwnd::kCommandEnlarge) menu->addSeparator();
        menu->addAction(c.text, QKeySequence(c.keys), this, [this, id = c.id] { canvas_->Command(id); });
    }
    return menu;
}

QWidget* PlaceWindow::BuildProperties() {
    opacity_ = Slider("opacity", 0, 255);
    outline_opacity_ = Slider("outlineOpacity", 0, 255);
    outline_width_ = new QSpinBox;
    outline_width_->setObjectName("outlineWidth");
    outline_width_->setRange(0, 10000);
    key_colour_ = new QToolButton;
    key_colour_->setPopupMode(QToolButton::MenuButtonPopup);
    outline_colour_ = new QToolButton;
    auto* key_menu = new QMenu(key_colour_);
    key_menu->addAction("More Colors...", this, [this] { ChooseColour(true); });
    no_key_ = key_menu->addAction("No Color", this, [this] { canvas_->Apply(selections_.ChooseNoKey()); });
    no_key_->setCheckable(true);
    key_colour_->setMenu(key_menu);
    connect(key_colour_, &QToolButton::clicked, this, [this] { ChooseColour(true); });
    connect(outline_colour_, &QToolButton::clicked, this, [this] { ChooseColour(false); });
    connect(opacity_, &QSlider::valueChanged, this, [this](int v) { canvas_->Apply(editwnd::ClipOpacityEdit(v)); });
    connect(outline_opacity_, &QSlider::valueChanged, this, [this](int v) { canvas_->Apply(editwnd::OutlineOpacityEdit(v)); });
    connect(outline_width_, &QSpinBox::valueChanged, this, [this](int v) { canvas_->Apply(editwnd::OutlineWidthEdit(v)); });

    auto* panel = new QWidget;
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : {static_cast<QWidget*>(new QLabel("Opaque:")), static_cast<QWidget*>(opacity_),
                       static_cast<QWidget*>(new QLabel("Mask Color:")), static_cast<QWidget*>(key_colour_),
                       static_cast<QWidget*>(new QLabel("Frame Width:")), static_cast<QWidget*>(outline_width_),
                       static_cast<QWidget*>(outline_colour_), static_cast<QWidget*>(new QLabel("Frame Opaque:")),
                       static_cast<QWidget*>(outline_opacity_)})
        row->addWidget(w);
    return panel;
}

void PlaceWindow::Open(size_t item, std::optional<int> n) {
    item_ = item;
    const PlaceableItem& p = document_.items()[item];
    const int frame = n.value_or(p.first);
    try {
        canvas_->Open(document_.Placed(item).placement, document_.Background(item, frame), document_.Picture(item, frame));
    } catch (const std::exception& e) {  // the frame server's error, copied by the session
        Fail(e.what());
    }
    {
        const QSignalBlocker quiet(frame_);
        frame_->setRange(p.first, p.last);
        frame_->setValue(frame);
    }
    frame_label_->setText(QString("Frame %1").arg(frame));
    Refresh();
}

void PlaceWindow::ShowFrame(int n) {
    frame_label_->setText(QString("Frame %1").arg(n));
    try {
        canvas_->ShowFrame(document_.Background(item_, n), document_.Picture(item_, n));
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

// What the toolbar's periodic update shows, brought up to the model after each change.
void PlaceWindow::Refresh() {
    const editwnd::COverlayEditModel& model = canvas_->model();
    const editwnd::ToolbarView view = editwnd::UpdateToolbar(model.placement(), selections_, {});
    {
        const QSignalBlocker a(opacity_), b(outline_opacity_), c(outline_width_);
        opacity_->setValue(view.clip_opacity_position);
        outline_opacity_->setValue(view.outline_opacity_position);
        outline_width_->setValue(model.placement().outline_width);
    }
    key_colour_->setIcon(view.no_color_checked ? QIcon() : Swatch(view.key_colour));
    key_colour_->setText(view.no_color_checked ? "None" : "");
    outline_colour_->setIcon(Swatch(view.outline_colour));
    no_key_->setChecked(view.no_color_checked);
    undo_->setEnabled(model.IsCommandEnabled(editwnd::kCommandUndo));
    redo_->setEnabled(model.IsCommandEnabled(editwnd::kCommandRedo));
    setWindowModified(Modified());
}

// Modified when saving would change the file.
bool PlaceWindow::Modified() const {
    try {
        return document_.EditedText(item_, canvas_->Edited()) != document_.file().text();
    } catch (const SaveError&) {
        return true;
    }
}

void PlaceWindow::ChooseColour(bool key) {
    const uint32_t start = key ? selections_.key() : selections_.outline();
    const QColor chosen = QColorDialog::getColor(FromColorRef(start), this, key ? "Mask Color" : "Frame Color");
    if (!chosen.isValid()) return;  // Cancel changes nothing
    const uint32_t colour = ColorRefOf(chosen);
    canvas_->Apply(key ? selections_.ChooseKey(colour) : selections_.ChooseOutline(colour));
}

bool PlaceWindow::Save() {
    try {
        document_.Save(item_, canvas_->Edited());
    } catch (const std::exception& e) {  // not saved, or saved and not placed again
        Fail(e.what());
        return false;
    }
    statusBar()->showMessage("Saved " + QString::fromStdString(document_.file().path()));
    Refresh();
    return true;
}

void PlaceWindow::Fail(const QString& what) {
    statusBar()->showMessage(what);
    // Not modal: the edits stay, and a test sees the message without answering it.
    auto* box = new QMessageBox(QMessageBox::Warning, "ferrule-place", what, QMessageBox::Ok, this);
    box->setObjectName("error");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool PlaceWindow::MayLeave() {
    if (!Modified()) return true;
    const auto answer = QMessageBox::question(this, "ferrule-place", "Save the changes to this item?",
                                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    return answer == QMessageBox::Discard || (answer == QMessageBox::Save && Save());
}

void PlaceWindow::closeEvent(QCloseEvent* event) {
    if (MayLeave()) event->accept();
    else event->ignore();
}

}  // namespace place
