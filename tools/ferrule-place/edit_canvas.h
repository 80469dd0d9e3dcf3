// The edit window's model in a Qt widget: mouse and keys go to the model, the shell
// carries out its responses (repaint, cursor, report), and the picture is the model's
// own paint.
#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <functional>

#include "editwnd/overlay_edit_model.h"
#include "editwnd/taken_picture.h"
#include "tools/ferrule-render/session.h"

namespace place {

class EditCanvas : public QWidget {
public:
    explicit EditCanvas(QWidget* parent = nullptr);

    // A new item: its placement in output pixels, the frame without it and its picture
    // (both taken over).
    void Open(const EditPlacement& placement, render::HostFrame background, render::HostFrame picture);
    // Another frame of the same item: the placement and its history stay.
    void ShowFrame(render::HostFrame background, render::HostFrame picture);

    void Command(int id);
    void Key(unsigned virtual_key, bool ctrl);
    void Apply(const editwnd::PropertyEdit& edit);

    // The placement in output pixels.
    EditPlacement Edited() const;
    const editwnd::COverlayEditModel& model() const { return model_; }

    // After anything that may have changed the placement or its history.
    std::function<void()> changed;
    // The right button came up here (global position).
    std::function<void(QPoint)> context_menu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool Carry(const editwnd::EditResponse& response);  // true when consumed
    void UndoStep();

    editwnd::COverlayEditModel model_;
    editwnd::CTakenPicture background_, picture_;
    int reference_width_ = 0, reference_height_ = 0;
    QBasicTimer snapshots_;
};

}  // namespace place
