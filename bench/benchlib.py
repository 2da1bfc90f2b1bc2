"""What the benchmarks share: the figures of repeated runs, and a watch on a folder that notes
when files there were last written without asking the program or the screen anything."""
import ctypes
import os
import statistics
import threading
import time


def set_files(n):
    """The numbers of the files Tovra writes after the n data pieces of a set: the first parity
    piece n + 1, the block checks n + 2, then the further parity pieces. Every bench takes the
    set's shape from here, as the Wine tests know it (tests/wine on the path)."""
    from tovra import last_of
    return list(range(n + 1, last_of(n) + 1))


def last_file(n):
    """The number of the last file of a set of n data pieces, as Tovra's messages name it."""
    return set_files(n)[-1]


def figures(times):
    """best, median and spread (slowest minus fastest) of a list of seconds."""
    return min(times), statistics.median(times), max(times) - min(times)


def line(label, times, size=None):
    best, median, spread = figures(times)
    rate = '  %8.1f MB/s best' % (size / 1e6 / best) if size else ''
    return '%-40s best %7.3f s  median %7.3f s  spread %6.3f s%s' % (label, best, median,
                                                                       spread, rate)


def ratio_line(label, reference, measured):
    """Throughput ratio measured / reference, from the best and from the median runs."""
    rb, rm, _ = figures(reference)
    mb, mm, _ = figures(measured)
    return '%-40s %.2f (best)  %.2f (median)' % (label, rb / mb, rm / mm)


def timed_click(app, hwnd, button, watch):
    """Clicks button in hwnd; returns the seconds until the last write the watch saw (None:
    none) and until the next message box, and that box. The box is waited for in the robot's
    message loop: the system tells it when the box is shown."""
    watch.reset()
    app.watch_shown()
    t0 = time.perf_counter()
    app.click(hwnd, button)
    win = app.wait_shown(timeout=600, cls='#32770')
    total = time.perf_counter() - t0
    last = watch.last_write()
    return (None if last is None else last - t0), total, win


def warm_memory(nbytes=1200000000):
    """Touches and frees nbytes of memory: called after the sync just before each timed run.
    The host of this machine takes back memory that stays free for a few seconds, and a file
    written into such memory is slow to write (measured: the same 500 MB merge took 0.4 to 1.2 s
    after six idle seconds, 0.21 to 0.29 s right after this), so whichever program ran after an
    idle spell lost. It evens the runs out but does not remove all slow ones: the kernel does
    not always hand out the pages just freed."""
    block = b'\1' * nbytes
    del block


IN_CLOSE_WRITE, IN_ATTRIB, IN_MOVED_TO = 0x8, 0x4, 0x80


class WriteWatch:
    """Notes the moment of the last close of a written file, change of times or rename into
    folder, by inotify: a thread that sleeps in read() until the kernel has an event."""

    def __init__(self, folder):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init()
        if self.fd < 0 or libc.inotify_add_watch(
                self.fd, os.fsencode(folder), IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_TO) < 0:
            raise OSError(ctypes.get_errno(), 'inotify on %s' % folder)
        self.last = None
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                os.read(self.fd, 65536)  # every event is one of the three watched
            except OSError:
                return
            now = time.perf_counter()
            with self.lock:
                self.last = now

    def reset(self):
        with self.lock:
            self.last = None

    def last_write(self):
        with self.lock:
            return self.last
