#include "edit_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "editwnd/edit_paint.h"

namespace place {

namespace {

Qt::CursorShape Shape(editwnd::EditCursor cursor) {
    switch (cursor) {
        case editwnd::EditCursor::kMove: return Qt::SizeAllCursor;
        case editwnd::EditCursor::kSizeWE: return Qt::SizeHorCursor;
        case editwnd::EditCursor::kSizeNS: return Qt::SizeVerCursor;
        case editwnd::EditCursor::kLibrary: return Qt::CrossCursor;  // rotate and warp handles
        case editwnd::EditCursor::kDefault: break;
    }
    return Qt::ArrowCursor;
}

void Take(editwnd::CTakenPicture& into, const render::HostFrame& f) {
    into.Take(f.buffer, f.size, f.width, f.height, f.bits_per_pixel);
}

}  // namespace

EditCanvas::EditCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers every pixel
}

void EditCanvas::Open(const EditPlacement& placement, render::HostFrame background, render::HostFrame picture) {
    Take(background_, background);
    Take(picture_, picture);
    reference_width_ = placement.reference_width;
    reference_height_ = placement.reference_height;
    model_.Open(placement, picture.width, picture.height);
    model_.OnSize(width(), height());
    // The properties sit beside the canvas, so their changes get their undo steps
    // without the canvas ever having had the focus.
    snapshots_.start(editwnd::kSnapshotPeriodMs, this);
    update();
}

void EditCanvas::ShowFrame(render::HostFrame background, render::HostFrame picture) {
    Take(background_, background);
    Take(picture_, picture);
    update();
}

// A command from the menu or the keys is an undo step at once, not when the timer
// next comes round.
void EditCanvas::Command(int id) {
    Carry(model_.OnCommand(id));
    UndoStep();
}

void EditCanvas::Key(unsigned virtual_key, bool ctrl) { Carry(model_.OnKeyDown(virtual_key, ctrl)); }

void EditCanvas::Apply(const editwnd::PropertyEdit& edit) { Carry(model_.ApplyProperty(edit)); }

EditPlacement EditCanvas::Edited() const { return model_.Report(reference_width_, reference_height_).placement; }

bool EditCanvas::Carry(const editwnd::EditResponse& response) {
    if (response.set_move_cursor) setCursor(Qt::SizeAllCursor);
    if (response.repaint) update();
    if (response.close) window()->close();
    // The window's controls and modified mark follow at the end of a drag, not each move.
    if (changed && (response.report || (response.repaint && !model_.button_down()))) changed();
    return response.consumed;
}

void EditCanvas::UndoStep() {
    model_.OnSnapshotTimer();
    if (changed) changed();
}

void EditCanvas::paintEvent(QPaintEvent*) {
    const std::unique_ptr<gfx::Bitmap> frame = gfx::Bitmap::Create(width(), height());
    if (!frame) return;
    editwnd::PaintEditWindow(*frame, background_.bitmap(), picture_.bitmap(), model_.placement(), model_.layout());
    const QImage image(frame->Row(0), frame->Width(), frame->Height(), frame->RowStep(), QImage::Format_ARGB32);
    QPainter(this).drawImage(0, 0, image);
}

void EditCanvas::resizeEvent(QResizeEvent*) {
    if (model_.OnSize(width(), height())) update();
}

void EditCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus();
    Carry(model_.OnButtonDown(event->position().toPoint().x(), event->position().toPoint().y()));
}

void EditCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Carry(model_.OnMouseMove(at.x(), at.y()));
    // As a captured window gets no cursor requests, the cursor stays while dragging.
    if (!model_.button_down()) setCursor(Shape(model_.OnSetCursor(at.x(), at.y())));
}

void EditCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && context_menu) context_menu(event->globalPosition().toPoint());
    if (event->button() != Qt::LeftButton) return;
    Carry(model_.OnButtonUp());
    UndoStep();  // the end of a drag, not left to the next period
}

void EditCanvas::leaveEvent(QEvent*) { Carry(model_.OnMouseLeave()); }

void EditCanvas::keyPressEvent(QKeyEvent* event) {
    static constexpr struct {
        int qt;
        unsigned virtual_key;
    } kKeys[] = {{Qt::Key_Left, editwnd::kKeyLeft}, {Qt::Key_Up, editwnd::kKeyUp},   {Qt::Key_Right, editwnd::kKeyRight},
                 {Qt::Key_Down, editwnd::kKeyDown}, {Qt::Key_Z, editwnd::kKeyZ},     {Qt::Key_Y, editwnd::kKeyY}};
    for (const auto& key : kKeys)
        if (event->key() == key.qt) {
            if (Carry(model_.OnKeyDown(key.virtual_key, event->modifiers() & Qt::ControlModifier))) return;
            break;
        }
    QWidget::keyPressEvent(event);
}

void EditCanvas::timerEvent(QTimerEvent* event) {
    if (event->timerId() != snapshots_.timerId()) return QWidget::timerEvent(event);
    if (!model_.changed()) return;
    UndoStep();
}

}  // namespace place
