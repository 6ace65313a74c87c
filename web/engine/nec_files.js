// nec2c's few files without emscripten's file system (which would triple the script the page
// inlines): the system calls that its C library makes go to Module.necFiles, set up by
// nec_engine.js for each run, with the bytes as views into the module's memory. Errors are
// returned as emscripten's errno numbers, negative for the __syscall_ functions, positive for the
// WASI fd_ ones.
mergeInto(LibraryManager.library, {
  __syscall_open: function (path, flags, varargs) {
    return Module['necFiles'].open(UTF8ToString(path), flags);
  },
  __syscall_fcntl64: function (fd, cmd, varargs) {
    return 0;
  },
  __syscall_ioctl: function (fd, op, varargs) {
    return -59;  // ENOTTY: no terminal, so the C library buffers standard output by blocks
  },
  // readv and writev: each buffer of the iovec array in turn goes to transfer(view), which returns
  // the bytes it moved or a negative errno; a short one ends the walk, as at the end of a file.
  $necFilesEach: function (iov, iovcnt, pnum, transfer) {
    var total = 0;
    for (var i = 0; i < iovcnt; i++) {
      var ptr = HEAP32[(iov + 8 * i) >> 2];
      var len = HEAP32[(iov + 8 * i + 4) >> 2];
      var moved = transfer(HEAPU8.subarray(ptr, ptr + len));
      if (moved < 0) return -moved;
      total += moved;
      if (moved < len) break;
    }
    HEAP32[pnum >> 2] = total;
    return 0;
  },
  fd_read__deps: ['$necFilesEach'],
  fd_read: function (fd, iov, iovcnt, pnum) {
    return necFilesEach(iov, iovcnt, pnum, function (bytes) { return Module['necFiles'].read(fd, bytes); });
  },
  fd_write__deps: ['$necFilesEach'],
  fd_write: function (fd, iov, iovcnt, pnum) {
    return necFilesEach(iov, iovcnt, pnum, function (bytes) { return Module['necFiles'].write(fd, bytes); });
  },
  // The 64-bit offset comes as two 32-bit halves (no BigInt at the boundary).
  fd_seek: function (fd, offset_low, offset_high, whence, newOffset) {
    var position = Module['necFiles'].seek(fd, offset_high * 4294967296 + (offset_low >>> 0), whence);
    if (position < 0) return -position;
    HEAP32[newOffset >> 2] = position;
    HEAP32[(newOffset + 4) >> 2] = 0;
    return 0;
  },
  fd_close: function (fd) {
    return 0;
  },
});
