// The data area: row bands tinted by octave and scale, the time selection,
// the grid, and the notes in four layers (unselected, selected, pending
// changes, pending inserts), built into a display list for the update
// rectangle and drawn through an off-screen copy of the data area.
#include <algorithm>
#include <vector>

#include "mididata/edit_commit.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

struct OctaveColours {
  COLORREF bar, edge, selected;
};
constexpr OctaveColours kOctaves[12] = {
    {0x808000, 0xE1E100, 0xFFFF00}, {0x800080, 0xE100E1, 0xFF00FF}, {0x008000, 0x00E100, 0x00FF00},
    {0x000080, 0x0000E1, 0x0000FF}, {0x008080, 0x00E1E1, 0x00FFFF}, {0x804000, 0xE17000, 0xFF8000},
    {0x400080, 0x7000E1, 0x8000FF}, {0x408000, 0x70E100, 0x80FF00}, {0x004080, 0x0070E1, 0x0080FF},
    {0x800000, 0xE10000, 0xFF0000}, {0x008040, 0x00E170, 0x00FF80}, {0x800040, 0xE10070, 0xFF0080},
};

int BlendChannel(int base, int tint, int a) {
  int d = (tint - base) * a + 128;
  return std::clamp(base + (((d >> 8) + d) >> 8), 0, 255);
}

COLORREF Mix(COLORREF a, COLORREF b, int wa, int wb, int bias, int divisor) {
  auto channel = [&](int shift) {
    return ((((a >> shift) & 0xFF) * wa + ((b >> shift) & 0xFF) * wb + bias) / divisor) & 0xFF;
  };
  return RGB(channel(0), channel(8), channel(16));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

struct Palette {
  COLORREF face, shadow, highlight, lightFace, rowLine, lowerFill;
  Palette() {
    face = GetSysColor(COLOR_BTNFACE);
    shadow = GetSysColor(COLOR_BTNSHADOW);
    highlight = GetSysColor(COLOR_HIGHLIGHT);
    lightFace = Blend(face, RGB(255, 255, 255), 128);
    rowLine = Mix(shadow, face, 3, 2, 0, 5);
    lowerFill = Mix(shadow, face, 1, 1, 1, 2);
  }
};

class ListBuilder {
 public:
  ListBuilder(PianoRoll* roll, const RECT& update) : roll_(roll), update_(update) {
    roll->itemCount = 0;
    const TvRect& d = roll->dataRect;
    windowStart_ = roll->XToTime(d.left);
    windowEnd_ = roll->XToTime(d.right);
    scaleSnap_ = roll->roll->prefs().scaleSnap != 0;
  }

  void Rows() {
    for (int32_t row = roll_->firstRow; row < kRollRows; ++row) {
      int32_t top = roll_->RowToY(row), bottom = roll_->RowToY(row + 1);
      if (top >= update_.bottom || top >= roll_->dataRect.bottom) break;
      if (bottom <= update_.top) continue;
      int pitch = PitchOfRow(row);
      uint32_t flags = kItemRow | (RollSource::BlackKey(pitch) ? uint32_t{kItemBlackKey} : 0u);
      if (scaleSnap_ && ScaleAllows(roll_, pitch, false)) flags |= kItemInScale;
      Add({{roll_->dataRect.left, top, roll_->dataRect.right, bottom}, (pitch / 12) % 12, 0, flags});
    }
  }

  // (a) and (b): the listed notes that reach into the window.
  HRESULT Listed() {
    EventStore& store = roll_->roll->store();
    std::vector<DisplayItem> selected;
    int32_t index = store.FirstIndexReaching(windowStart_);
    for (;;) {
      ItemPath path{};
      MidiEvent note{};
      HRESULT hr = store.FindInWindow(&index, &path, &note, windowStart_, windowEnd_ - windowStart_, kEvNoteOn,
                                      false, true);
      if (FAILED(hr)) return hr;
      if (hr != S_OK) break;
      PendingEdits& pending = store.pending();
      if (pending.FindPendingDelete(path) >= 0 || pending.FindPendingChange(path) >= 0) continue;
      if (FAILED(store.ToDisplay(path, &note))) continue;
      DisplayItem item;
      if (!Item(note, &item)) continue;
      if (item.flags & kItemSelected) {
        selected.push_back(item);
      } else {
        Add(item);
      }
    }
    for (const DisplayItem& item : selected) Add(item);
    return S_OK;
  }

  // (c) and (d): what the open edit is moving, sizing, drawing or painting.
  void Pending() {
    EventStore& store = roll_->roll->store();
    PendingEdits& pending = store.pending();
    for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
      ItemPath path{};
      MidiEvent note{};
      if (pending.PendingChangeAt(i, &path, &note) != S_OK || note.type != kEvNoteOn) continue;
      if (FAILED(store.ToDisplay(path, &note))) continue;
      DisplayItem item;
      if (Item(note, &item)) Add(item);
    }
    ItemPath target{};
    if (FAILED(EditTargetPath(store, &target))) return;
    for (int32_t i = 0; i < pending.PendingInsertCount(); ++i) {
      MidiEvent note{};
      if (pending.PendingInsertAt(i, &note) != S_OK || note.type != kEvNoteOn) continue;
      if (FAILED(store.ToDisplay(target, &note))) continue;
      DisplayItem item;
      if (Item(note, &item)) Add(item);  // inserts are in no order: none ends the layer
    }
  }

 private:
  bool Item(const MidiEvent& note, DisplayItem* item) {
    int64_t end = SatAdd(note.start, std::max(note.duration, 1));
    if (end < windowStart_ || note.start > windowEnd_) return false;
    int32_t row = RowOfPitch(note.data[0]);
    if (row < 0) return false;
    int32_t top = roll_->RowToY(row), bottom = roll_->RowToY(row + 1) - 1;
    if (bottom <= update_.top || top >= update_.bottom) return false;
    int32_t left = roll_->TimeToX(std::max(note.start, windowStart_));
    int32_t right = std::max(roll_->TimeToX(std::min(end, windowEnd_)), left + 1);
    if (right <= update_.left || left >= update_.right) return false;
    uint32_t flags = kItemCutStart | kItemCutEnd;
    if (note.flags & kEventSelected) flags |= kItemSelected;
    if (RollSource::BlackKey(note.data[0])) flags |= kItemBlackKey;
    if (scaleSnap_ && ScaleAllows(roll_, note.data[0], false)) flags |= kItemInScale;
    if (note.start >= windowStart_) flags = (flags & ~kItemCutStart) | kItemStartShown;
    if (end <= windowEnd_) flags = (flags & ~kItemCutEnd) | kItemEndShown;
    *item = {{left, top, right, std::max(bottom, top + 1)}, (note.data[0] / 12) % 12, note.data[1], flags};
    return true;
  }

  void Add(const DisplayItem& item) {
    if (roll_->itemCount >= roll_->itemCapacity) {
      int32_t capacity = roll_->itemCount + 16;
      auto* grown = static_cast<DisplayItem*>(std::realloc(roll_->items, sizeof(DisplayItem) * capacity));
      if (!grown) return;
      roll_->items = grown;
      roll_->itemCapacity = capacity;
    }
    roll_->items[roll_->itemCount++] = item;
  }

  PianoRoll* roll_;
  RECT update_;
  int64_t windowStart_, windowEnd_;
  bool scaleSnap_;
};

// The x range of the time selection within the data area, empty when none.
void SelectionColumn(PianoRoll* roll, int32_t* left, int32_t* right) {
  *left = *right = 0;
  if (roll->cursorExtent == 0) return;
  int64_t start = roll->cursorExtent < 0 ? SatAdd(roll->cursorPos, roll->cursorExtent) : roll->cursorPos;
  int64_t end = SatAdd(start, roll->cursorExtent < 0 ? -roll->cursorExtent : roll->cursorExtent);
  *left = std::max(roll->TimeToX(start), roll->dataRect.left);
  *right = std::min(roll->TimeToXUp(end), roll->dataRect.right);
}

void Band(HDC dc, RECT r, COLORREF colour, COLORREF selection, int32_t selLeft, int32_t selRight) {
  Fill(dc, r, colour);
  if (selLeft < selRight) Fill(dc, {std::max<LONG>(r.left, selLeft), r.top, std::min<LONG>(r.right, selRight), r.bottom}, selection);
}

void DrawList(PianoRoll* roll, HDC dc, const RECT& update) {
  Palette colours;
  int32_t selLeft, selRight;
  SelectionColumn(roll, &selLeft, &selRight);
  bool scaleSnap = roll->roll->prefs().scaleSnap != 0;
  int32_t lastRowBottom = roll->dataRect.top;
  for (int32_t i = 0; i < roll->itemCount; ++i) {
    const DisplayItem& item = roll->items[i];
    if (!(item.flags & kItemRow)) continue;
    lastRowBottom = std::max<int32_t>(lastRowBottom, item.box.bottom);
    bool inScale = item.flags & kItemInScale;
    COLORREF base = (item.flags & kItemBlackKey) && !(scaleSnap && !inScale) ? colours.face : colours.lightFace;
    COLORREF row = Blend(base, kOctaves[item.colour].selected, inScale ? 48 : 12);
    RECT band = item.box;
    band.bottom -= 1;
    Band(dc, band, row, colours.highlight, selLeft, selRight);
    Fill(dc, {item.box.left, item.box.bottom - 1, item.box.right, item.box.bottom}, colours.rowLine);
  }
  Band(dc, {roll->dataRect.left, std::max<LONG>(lastRowBottom, update.top), roll->dataRect.right, roll->dataRect.bottom},
       colours.lowerFill, colours.highlight, selLeft, selRight);

  DrawGridLines(roll, dc, colours.shadow, colours.rowLine, 0);
  RecomputeSnapGrid(roll);  // the marks of the grid just drawn

  int32_t outline = roll->roll->prefs().selectedOutline;
  for (int32_t i = 0; i < roll->itemCount; ++i) {
    const DisplayItem& item = roll->items[i];
    if (item.flags & kItemRow) continue;
    const OctaveColours& c = kOctaves[item.colour];
    bool selected = item.flags & kItemSelected;
    const RECT& r = item.box;
    Fill(dc, r, selected ? c.selected : c.bar);
    COLORREF edge = selected ? static_cast<COLORREF>(outline) : c.edge;
    if (selected && outline == -1) continue;
    if (selected) {
      Fill(dc, {r.left, r.top, r.right, r.top + 1}, edge);
      Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, edge);
    }
    if (!(item.flags & kItemCutStart)) Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, edge);
    if (!(item.flags & kItemCutEnd)) Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, edge);
  }
}

// The off-screen copy of the data area, made at its size.
bool EnsureCopy(PianoRoll* roll, HDC like) {
  SIZE size{roll->dataWidth, roll->dataHeight};
  if (roll->copyDC && roll->copySize.cx == size.cx && roll->copySize.cy == size.cy) return true;
  ReleaseCopy(roll);
  HDC dc = CreateCompatibleDC(like);
  if (!dc) return false;
  HBITMAP bitmap = CreateCompatibleBitmap(like, size.cx, size.cy);
  if (!bitmap) {
    DeleteDC(dc);
    return false;
  }
  roll->copyDC = dc;
  roll->copyBitmap = bitmap;
  roll->copyOld = SelectObject(dc, bitmap);
  roll->copySize = size;
  roll->copyStale = true;
  return true;
}

void Overlays(PianoRoll* roll, HDC dc, const RECT& update) {
  int64_t position = CursorOrPlayPosition(roll);
  int32_t x = roll->TimeToX(position);
  if (x >= update.left && x < update.right && x >= roll->dataRect.left && x < roll->dataRect.right) {
    Fill(dc, {x, roll->dataRect.top, x + 1, roll->dataRect.bottom}, RGB(0, 0, 0));
  }
  PaintBand(roll, dc);
}

}  // namespace

COLORREF Blend(COLORREF base, COLORREF tint, int a) {
  return RGB(BlendChannel(GetRValue(base), GetRValue(tint), a), BlendChannel(GetGValue(base), GetGValue(tint), a),
             BlendChannel(GetBValue(base), GetBValue(tint), a));
}

void PaintNotes(Trackview* view, TrackviewPane*, HDC dc, const RECT* clip) {
  PianoRoll* roll = Roll(view);
  RECT update = *clip;
  const TvRect& d = view->dataRect;
  IntersectRect(&update, &update, &static_cast<const RECT&>(RECT{d.left, d.top, d.right, d.bottom}));
  if (IsRectEmpty(&update)) return;
  // What the copy shows moves with the view and the time selection.
  int32_t selLeft, selRight;
  SelectionColumn(roll, &selLeft, &selRight);
  uint32_t changes = roll->roll->store().ChangeCount();
  if (view->viewChanged || selLeft != roll->paintedSelLeft || selRight != roll->paintedSelRight ||
      changes != roll->paintedChanges) {
    roll->paintedChanges = changes;
    roll->copyStale = true;
    view->viewChanged = false;
    roll->paintedSelLeft = selLeft;
    roll->paintedSelRight = selRight;
  }
  bool copied = EnsureCopy(roll, dc);
  HDC target = copied ? roll->copyDC : dc;
  if (copied) SetWindowOrgEx(roll->copyDC, d.left, d.top, nullptr);
  bool redraw = !copied || roll->copyStale || update.left < roll->copyLeft || update.right > roll->copyRight;
  if (redraw) {
    RECT area = copied ? RECT{d.left, d.top, d.right, d.bottom} : update;
    ListBuilder list(roll, area);
    list.Rows();
    list.Listed();
    list.Pending();
    DrawList(roll, target, area);
    if (copied) {
      roll->copyLeft = area.left;
      roll->copyRight = area.right;
      roll->copyStale = false;
    }
  }
  if (copied) {
    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, roll->copyDC,
           update.left, update.top, SRCCOPY);
  }
  Overlays(roll, dc, update);
}

void ReleaseNotePainter(PianoRoll* roll) {
  if (roll->bandPen) DeleteObject(roll->bandPen);
  roll->bandPen = nullptr;
  roll->bandVisible = false;
  ReleaseCopy(roll);
  std::free(roll->movePitches);
  roll->movePitches = nullptr;
  roll->movePitchCount = 0;
  std::free(roll->items);
  roll->items = nullptr;
  roll->itemCapacity = roll->itemCount = 0;
}

void ReleaseCopy(PianoRoll* roll) {
  if (roll->copyDC) {
    SelectObject(roll->copyDC, roll->copyOld);
    DeleteObject(roll->copyBitmap);
    DeleteDC(roll->copyDC);
  }
  roll->copyDC = nullptr;
  roll->copyBitmap = nullptr;
  roll->copyOld = nullptr;
  roll->copySize = {};
  roll->copyLeft = roll->copyRight = 0;
}
