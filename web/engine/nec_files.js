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
  fd_read: function (fd, iov, iovcnt, pnum) {
    var total = 0;
    for (var i = 0; i < iovcnt; i++) {
      var ptr = HEAP32[(iov + 8 * i) >> 2];
      var len = HEAP32[(iov + 8 * i + 4) >> 2];
      var got = Module['necFiles'].read(fd, HEAPU8.subarray(ptr, ptr + len));
      if (got < 0) return -got;
      total += got;
      if (got < len) break;
    }
    HEAP32[pnum >> 2] = total;
    return 0;
  },
  fd_write: function (fd, iov, iovcnt, pnum) {
    var total = 0;
    for (var i = 0; i < iovcnt; i++) {
      var ptr = HEAP32[(iov + 8 * i) >> 2];
      var len = HEAP32[(iov + 8 * i + 4) >> 2];
      var put = Module['necFiles'].write(fd, HEAPU8.subarray(ptr, ptr + len));
      if (put < 0) return -put;
      total += len;
    }
    HEAP32[pnum >> 2] = total;
    return 0;
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
