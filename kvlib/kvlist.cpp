// KvList: filled in by its implementation.
