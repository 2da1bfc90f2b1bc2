#include "places.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

namespace cli {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastPart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AsFolder(const std::string& path) {
  return !path.empty() && path.back() == '/' ? path : path + "/";
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsMountPoint(const std::string& path) {
  struct stat here, parent;
  return stat(path.c_str(), &here) == 0 && stat((AsFolder(path) + "..").c_str(), &parent) == 0 &&
         (here.st_dev != parent.st_dev || here.st_ino == parent.st_ino);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

int64_t FreeBytes(const std::string& path) {
  struct statvfs v;
  if (statvfs(path.c_str(), &v) != 0) return -1;
  return static_cast<int64_t>(v.f_bavail) * static_cast<int64_t>(v.f_frsize);
}

bool TwoSecondTimes(const std::string& path) {
#ifdef __linux__
  struct statfs f;
  return statfs(path.c_str(), &f) == 0 && f.f_type == 0x4d44;  // MSDOS_SUPER_MAGIC
#else
  (void)path;
  return false;
#endif
}

}  // namespace cli
