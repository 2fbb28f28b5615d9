#pragma once
// Edits of the world that the editor's 3-D views make with the mouse and the
// keyboard: the paste buffer (Cut, Copy and the paste at the cursor), Delete,
// picking at the cursor and by rubber band, the drags that move or turn the
// selection or a point, the grid-level scan and the path connections that
// World Ground View edits.

#include "GAMES/Rulo2/app/CameraViews.h"
#include "LIBS/System/CVector.h"

#include <cstdint>
#include <utility>
#include <vector>

class CWorldObject;

// The point of the view's target plane that lies under a client pixel of a
// width x height view, so that a drag keeps the point under the cursor.
CVector CursorPointInView(const CCameraView& view, float x, float y, int width, int height);
// The move in the view's target plane that a cursor offset in pixels makes.
CVector CursorOffsetInView(const CCameraView& view, float dx, float dy, int width, int height);

// ---- paste buffer (the spare world root g_PasteRoot)
bool PasteBufferEmpty();
void EmptyPasteBuffer();
// "Copy": the selected nodes into the emptied buffer, the selection's centre
// becoming the buffer's origin. False (buffer untouched) without a selection.
bool CopySelection();
// "Cut": Copy, then the selection leaves the world.
bool CutSelection();
// Places copies of the buffer into the world with the buffer's origin at
// `point` (snapped as a whole); the copies become the selection and get their
// object logic. Returns the first copy (null with an empty buffer).
CWorldObject* PasteAt(const CVector& point);
// Where a paste at `point` puts the buffer's origin: the point, snapped as a whole.
CVector PasteOrigin(const CVector& point);
// The buffer shown where a click would paste it: while this lives its copies
// stand with the buffer's origin at PasteOrigin(point); their own positions
// come back unchanged afterwards.
class CShownPasteBuffer
{
public:
    explicit CShownPasteBuffer(const CVector& point);
    ~CShownPasteBuffer();
    CShownPasteBuffer(const CShownPasteBuffer&) = delete;
    CShownPasteBuffer& operator=(const CShownPasteBuffer&) = delete;

private:
    std::vector<std::pair<CWorldObject*, CVector>> saved_;
};

// "Delete" in a world view: World Ground View removes the path connections of
// the selected object in both directions; the other world views delete the
// selected nodes. Returns the number of nodes or connections removed.
int32_t DeleteSelection(ViewIndex view);

// ---- picking (through the renderer's pick test; the view must be drawn)
// The node under a client pixel (the last drawn there), or null.
CWorldObject* EditorPickAtCursor(int x, int y);
// Rubber band: selects what the rectangle encloses; a point selects nothing.
void SelectInRect(int x0, int y0, int x1, int y1);
// Double click: unless `keep`, the selection is cleared; the node under the
// cursor is selected and an object with states gets its missing object logic.
CWorldObject* SelectAtCursor(int x, int y, bool keep);

// ---- drags of the selection (drag modes 4 and 5) and of a point (mode 8)
// Marks the selection as changed and stores its transforms; false without one.
bool BeginSelectionDrag();
// Mode 4: the selection moved by `offset` from where the drag started, then snapped.
void MoveSelectionBy(const CVector& offset);
// Mode 5: the selection turned about its centre by `yaw` from the drag's start.
void TurnSelectionBy(float yaw);
// Ends a move or turn: the world's bounds follow.
void EndSelectionDrag();

// Point placing: while a point is set, a left click in a world view either
// consumes the one-shot skip flag or drags that point (mode 8).
extern CVector* EditorDraggedPoint;
extern bool EditorPointSkip;
// Mode 8: the point follows the cursor point; SnapDraggedNode snaps it.
void MovePointTo(const CVector& point);
// Snaps the dragged point, as the selection's points are snapped.
void SnapDraggedNode();

// ---- keys
// Page Up / Page Down: the grid level of the view's depth axis steps to the next
// object position; true when it moved.
bool StepGridLevel(ViewIndex view, bool pageUp);
// The path connection that Enter and Space edit in World Ground View; -1 none.
extern int32_t ConnectionIndex;
// Space: the next connection of the selected object (wrapping to 0).
bool NextConnection();
// Enter: the pair of block flags of the current connection steps through
// (0, 0), (1, 0), (0, 1) and back.
bool StepConnectionBlock();
// Esc: the paste buffer emptied and the world selection cleared.
void ClearEditorSelection();
