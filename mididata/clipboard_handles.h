// Scoped owners for the clipboard: an open clipboard, a global memory block
// until the clipboard takes it, and a stream on such a block.
#pragma once

#include <windows.h>
#include <objbase.h>

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

class GlobalBlock {
 public:
  GlobalBlock(UINT flags, SIZE_T size) : block_(GlobalAlloc(flags, size)) {}
  ~GlobalBlock() {
    if (block_) GlobalFree(block_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return block_; }
  // The clipboard owns the block from now on.
  void Release() { block_ = nullptr; }

 private:
  HGLOBAL block_;
};

// A stream over a global block that leaves the block to its owner.
class BlockStream {
 public:
  explicit BlockStream(HGLOBAL block) { result_ = CreateStreamOnHGlobal(block, FALSE, &stream_); }
  ~BlockStream() {
    if (stream_) stream_->Release();
  }
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;
  HRESULT result() const { return result_; }
  IStream* get() const { return stream_; }

 private:
  IStream* stream_ = nullptr;
  HRESULT result_;
};
