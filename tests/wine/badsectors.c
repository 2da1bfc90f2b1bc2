/* A file system for the Wine tests that serves a folder as it is, read only, except that a read
 * touching a chosen byte range of a chosen file fails with EIO, as a floppy's bad sector does,
 * or gives other bytes there each time, as a weak sector does.
 *
 *   badsectors [-w] FOLDER MOUNTPOINT NAME:[~]FROM-TO[,[~]FROM-TO...] ... [-- FUSE OPTIONS]
 *
 * With -w files can also be made, written, renamed and deleted there, and a file made meanwhile
 * fails its reads as well: a disk that gives back what was written to it wrongly.
 * NAME is a file of FOLDER's root; FROM and TO are byte offsets, the range [FROM, TO); "~" makes
 * it weak: each read that touches it has its bytes there changed, never twice the same way. It runs
 * in the foreground, on one thread, until unmounted. Reads bypass the page cache (direct_io), so each read the
 * program makes arrives here with its own offset and length, and a 512-byte read next to a bad
 * range succeeds.
 */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#define MAX_RANGES 256

struct bad_range {
  char name[NAME_MAX + 1];
  off_t from, to;
  int weak;
  unsigned reads; /* of a weak range */
};

static struct bad_range ranges[MAX_RANGES];
static int range_count;
static char source[PATH_MAX];
static int writable;

static int full_path(char *out, const char *path) {
  return snprintf(out, PATH_MAX, "%s%s", source, path) < PATH_MAX ? 0 : -ENAMETOOLONG;
}

static int bs_getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
  char p[PATH_MAX];
  (void)fi;
  if (full_path(p, path)) return -ENAMETOOLONG;
  return lstat(p, st) == 0 ? 0 : -errno;
}

static int bs_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags) {
  char p[PATH_MAX];
  DIR *d;
  struct dirent *e;
  (void)offset;
  (void)fi;
  (void)flags;
  if (full_path(p, path)) return -ENAMETOOLONG;
  d = opendir(p);
  if (!d) return -errno;
  while ((e = readdir(d)) != NULL) fill(buf, e->d_name, NULL, 0, 0);
  closedir(d);
  return 0;
}

static int bs_open(const char *path, struct fuse_file_info *fi) {
  char p[PATH_MAX];
  int fd;
  if (!writable && (fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  if (full_path(p, path)) return -ENAMETOOLONG;
  fd = open(p, writable ? fi->flags & (O_ACCMODE | O_APPEND | O_TRUNC) : O_RDONLY);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  fi->direct_io = 1;
  return 0;
}

static int bs_create(const char *path, mode_t mode, struct fuse_file_info *fi) {
  char p[PATH_MAX];
  int fd;
  if (full_path(p, path)) return -ENAMETOOLONG;
  fd = open(p, fi->flags | O_CREAT, mode);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  fi->direct_io = 1;
  return 0;
}

static int bs_write(const char *path, const char *buf, size_t size, off_t offset,
                    struct fuse_file_info *fi) {
  ssize_t put;
  (void)path;
  put = pwrite((int)fi->fh, buf, size, offset);
  return put < 0 ? -errno : (int)put;
}

static int bs_truncate(const char *path, off_t size, struct fuse_file_info *fi) {
  char p[PATH_MAX];
  if (fi) return ftruncate((int)fi->fh, size) == 0 ? 0 : -errno;
  if (full_path(p, path)) return -ENAMETOOLONG;
  return truncate(p, size) == 0 ? 0 : -errno;
}

static int bs_unlink(const char *path) {
  char p[PATH_MAX];
  if (full_path(p, path)) return -ENAMETOOLONG;
  return unlink(p) == 0 ? 0 : -errno;
}

static int bs_rename(const char *from, const char *to, unsigned int flags) {
  char f[PATH_MAX], t[PATH_MAX];
  if (full_path(f, from) || full_path(t, to)) return -ENAMETOOLONG;
  return renameat2(AT_FDCWD, f, AT_FDCWD, t, flags) == 0 ? 0 : -errno;
}

static int bs_chmod(const char *path, mode_t mode, struct fuse_file_info *fi) {
  char p[PATH_MAX];
  (void)fi;
  if (full_path(p, path)) return -ENAMETOOLONG;
  return chmod(p, mode) == 0 ? 0 : -errno;
}

static int bs_utimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi) {
  char p[PATH_MAX];
  (void)fi;
  if (full_path(p, path)) return -ENAMETOOLONG;
  return utimensat(AT_FDCWD, p, tv, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

static int bs_fsync(const char *path, int datasync, struct fuse_file_info *fi) {
  (void)path;
  return (datasync ? fdatasync((int)fi->fh) : fsync((int)fi->fh)) == 0 ? 0 : -errno;
}

static int bs_read(const char *path, char *buf, size_t size, off_t offset,
                   struct fuse_file_info *fi) {
  ssize_t got;
  off_t at;
  int i;
  for (i = 0; i < range_count; ++i) {
    if (!ranges[i].weak && strcmp(path + 1, ranges[i].name) == 0 && offset < ranges[i].to &&
        offset + (off_t)size > ranges[i].from)
      return -EIO;
  }
  got = pread((int)fi->fh, buf, size, offset);
  if (got < 0) return -errno;
  for (i = 0; i < range_count; ++i) {
    struct bad_range *r = &ranges[i];
    if (!r->weak || strcmp(path + 1, r->name) != 0 || offset >= r->to || offset + got <= r->from)
      continue;
    ++r->reads;
    for (at = r->from > offset ? r->from : offset; at < r->to && at < offset + got; ++at)
      buf[at - offset] ^= (char)(r->reads % 255 + 1);
  }
  return (int)got;
}

static int bs_release(const char *path, struct fuse_file_info *fi) {
  (void)path;
  close((int)fi->fh);
  return 0;
}

static int bs_statfs(const char *path, struct statvfs *st) {
  (void)path;
  return statvfs(source, st) == 0 ? 0 : -errno;
}

static const struct fuse_operations ops = {
    .getattr = bs_getattr,
    .readdir = bs_readdir,
    .open = bs_open,
    .read = bs_read,
    .release = bs_release,
    .statfs = bs_statfs,
};

static const struct fuse_operations writable_ops = {
    .getattr = bs_getattr,
    .readdir = bs_readdir,
    .open = bs_open,
    .read = bs_read,
    .release = bs_release,
    .statfs = bs_statfs,
    .create = bs_create,
    .write = bs_write,
    .truncate = bs_truncate,
    .unlink = bs_unlink,
    .rename = bs_rename,
    .chmod = bs_chmod,
    .utimens = bs_utimens,
    .fsync = bs_fsync,
};

/* NAME:FROM-TO,FROM-TO into ranges; 0 when it does not parse. */
static int add_ranges(const char *arg) {
  const char *colon = strchr(arg, ':');
  const char *at;
  size_t name_len;
  if (!colon || colon == arg || (name_len = (size_t)(colon - arg)) > NAME_MAX) return 0;
  for (at = colon + 1; *at;) {
    char *end;
    struct bad_range *r;
    if (range_count == MAX_RANGES) return 0;
    r = &ranges[range_count];
    memcpy(r->name, arg, name_len);
    r->name[name_len] = 0;
    r->weak = *at == '~';
    if (r->weak) ++at;
    r->from = strtoll(at, &end, 10);
    if (*end != '-') return 0;
    r->to = strtoll(end + 1, &end, 10);
    if (r->to <= r->from || (*end && *end != ',')) return 0;
    ++range_count;
    at = *end ? end + 1 : end;
  }
  return 1;
}

int main(int argc, char **argv) {
  char *fuse_argv[32];
  int fuse_argc = 0, i;
  char *program = argv[0];
  if (argc > 1 && strcmp(argv[1], "-w") == 0) {
    writable = 1;
    ++argv;
    --argc;
  }
  if (argc < 3 || !realpath(argv[1], source)) {
    fprintf(stderr,
            "usage: %s [-w] FOLDER MOUNTPOINT NAME:[~]FROM-TO[,[~]FROM-TO...] ... [-- OPTIONS]\n",
            program);
    return 2;
  }
  fuse_argv[fuse_argc++] = program;
  fuse_argv[fuse_argc++] = argv[2];
  fuse_argv[fuse_argc++] = "-f";
  fuse_argv[fuse_argc++] = "-s";
  fuse_argv[fuse_argc++] = "-o";
  fuse_argv[fuse_argc++] = writable ? "fsname=badsectors" : "ro,fsname=badsectors";
  for (i = 3; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      for (++i; i < argc && fuse_argc < 31; ++i) fuse_argv[fuse_argc++] = argv[i];
      break;
    }
    if (!add_ranges(argv[i])) {
      fprintf(stderr, "%s: bad range %s\n", program, argv[i]);
      return 2;
    }
  }
  fuse_argv[fuse_argc] = NULL;
  return fuse_main(fuse_argc, fuse_argv, writable ? &writable_ops : &ops, NULL);
}
