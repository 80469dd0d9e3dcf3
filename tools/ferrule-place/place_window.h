// ferrule-place's window: the edit canvas over one item, the items to switch between,
// a frame slider over the item's frames, the toolbar's properties as Qt controls, the
// edit window's commands in a menu, and saving into the timeline file.
#pragma once

#include <QMainWindow>
#include <optional>

#include "editwnd/toolbar_view.h"
#include "place_document.h"

class QLabel;
class QListWidget;
class QMenu;
class QSlider;
class QSpinBox;
class QToolButton;

namespace place {

class EditCanvas;

class PlaceWindow : public QMainWindow {
public:
    // Opens item `item` of the document at frame n, or at its first frame.
    PlaceWindow(PlaceDocument& document, size_t item, std::optional<int> n = std::nullopt);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildProperties();
    QMenu* BuildEditMenu();
    void Open(size_t item, std::optional<int> n);
    void ShowFrame(int n);
    void Refresh();
    bool Modified() const;
    bool Save();
    // Unsaved changes: saved, dropped, or (false) kept by the user's choice.
    bool MayLeave();
    void ChooseColour(bool key);
    void Fail(const QString& what);

    PlaceDocument& document_;
    size_t item_ = 0;
    editwnd::CColourSelections selections_;
    EditCanvas* canvas_ = nullptr;
    QListWidget* items_ = nullptr;
    QSlider* frame_ = nullptr;
    QLabel* frame_label_ = nullptr;
    QSlider *opacity_ = nullptr, *outline_opacity_ = nullptr;
    QSpinBox* outline_width_ = nullptr;
    QToolButton *key_colour_ = nullptr, *outline_colour_ = nullptr;
    QAction *no_key_ = nullptr, *undo_ = nullptr, *redo_ = nullptr;
};

}  // namespace place
