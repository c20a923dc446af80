#!/usr/bin/python3
"""A slow network share for the benchmarks: mounts FOLDER at MOUNT through FUSE
and answers every request only after a delay (1 ms unless told), with the
kernel's attribute and entry caches off, so that each lookup and listing of the
program reaches it. Serves several requests at once, as a share does. Runs in
the foreground until unmounted (fusermount3 -u MOUNT).

    slow_share.py FOLDER MOUNT [milliseconds]
"""
import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowShare(Operations):
    def __init__(self, root, delay):
        self.root = root
        self.delay = delay

    def _path(self, path):
        time.sleep(self.delay)
        return os.path.join(self.root, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        return {key: getattr(st, key) for key in (
            "st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        time.sleep(self.delay)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)

    def statfs(self, path):
        st = os.statvfs(self._path(path))
        return {key: getattr(st, key) for key in (
            "f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
            "f_frsize", "f_namemax")}


if __name__ == "__main__":
    folder, mount = sys.argv[1], sys.argv[2]
    delay = (float(sys.argv[3]) if len(sys.argv) > 3 else 1.0) / 1000.0
    FUSE(SlowShare(os.path.abspath(folder), delay), mount, foreground=True, nothreads=False, ro=True,
         attr_timeout=0, entry_timeout=0, negative_timeout=0)
