#include "base/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/gbk.h"

namespace quilmo {
namespace {

// The file is handled as raw byte lines so that whatever we do not change stays
// byte-identical, even lines that are not valid GBK.
struct RawLine {
  QByteArray bytes;  // without the line end
};

struct RawFile {
  std::vector<RawLine> lines;
  QByteArray eol = "\n";
  bool ends_with_eol = true;
};

RawFile ReadRaw(const QString& path) {
  RawFile f;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return f;
  QByteArray all = file.readAll();
  if (all.contains("\r\n")) f.eol = "\r\n";
  f.ends_with_eol = all.isEmpty() || all.endsWith('\n');
  qsizetype start = 0;
  while (start < all.size()) {
    qsizetype nl = all.indexOf('\n', start);
    qsizetype end = nl < 0 ? all.size() : nl;
    QByteArray line = all.mid(start, end - start);
    if (line.endsWith('\r')) line.chop(1);
    f.lines.push_back({line});
    if (nl < 0) break;
    start = nl + 1;
  }
  return f;
}

// "[Name]" -> Name (trimmed); empty when the line is not a section header.
QString SectionName(const QByteArray& line) {
  QByteArray t = line.trimmed();
  if (t.size() < 2 || t.front() != '[') return {};
  qsizetype close = t.indexOf(']');
  if (close < 0) return {};
  return DecodeGbk(t.mid(1, close - 1)).trimmed();
}

bool IsComment(const QByteArray& line) {
  QByteArray t = line.trimmed();
  return t.startsWith(';') || t.startsWith('#');
}

// Splits "key=value"; false for lines without '='.
bool SplitKey(const QByteArray& line, QString* key, qsizetype* eq_pos) {
  if (IsComment(line)) return false;
  qsizetype eq = line.indexOf('=');
  if (eq < 0) return false;
  *key = DecodeGbk(line.left(eq)).trimmed();
  *eq_pos = eq;
  return !key->isEmpty();
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

struct Position {
  int section = -1;     // index of the section header line, -1 when absent
  int section_end = 0;  // index after the last key line of that section
  int key = -1;         // index of the key line, -1 when absent
  qsizetype eq = -1;
};

Position Find(const RawFile& f, const QString& section, const QString& key) {
  Position p;
  bool inside = false;
  for (int i = 0; i < static_cast<int>(f.lines.size()); ++i) {
    const QByteArray& line = f.lines[i].bytes;
    QString name = SectionName(line);
    if (!name.isEmpty()) {
      if (inside) break;  // the first matching section is the one that counts
      inside = SameName(name, section);
      if (inside) {
        p.section = i;
        p.section_end = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    if (!line.trimmed().isEmpty()) p.section_end = i + 1;
    QString k;
    qsizetype eq;
    if (p.key < 0 && SplitKey(line, &k, &eq) && SameName(k, key)) {
      p.key = i;
      p.eq = eq;
    }
  }
  return p;
}

// Writes the whole file under a temporary name in the same folder, flushes it to disk and
// renames it over the old one. Every system call is checked: a short write (disk full,
// file-size limit) must never end as a truncated settings file.
bool ReplaceFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  auto fail = [error](const QString& what) {
    if (error) *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
  };
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temp = target + ".tmp" + QByteArray::number(getpid());
  mode_t mode = 0644;
  struct stat st {};
  if (::stat(target.constData(), &st) == 0) mode = st.st_mode & 07777;

  int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return fail(QStringLiteral("cannot create ") + QFile::decodeName(temp));
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      const int saved = errno;
      ::close(fd);
      ::unlink(temp.constData());
      errno = saved;
      return fail(QStringLiteral("cannot write ") + path);
    }
    p += n;
    left -= n;
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int saved = errno;
    ::unlink(temp.constData());
    errno = saved;
    return fail(QStringLiteral("cannot flush ") + path);
  }
  if (::rename(temp.constData(), target.constData()) != 0) {
    const int saved = errno;
    ::unlink(temp.constData());
    errno = saved;
    return fail(QStringLiteral("cannot replace ") + path);
  }
  // Make the rename itself durable.
  const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
  int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

}  // namespace

QString ReadIniString(const QString& file, const QString& section, const QString& key) {
  RawFile f = ReadRaw(file);
  Position p = Find(f, section, key);
  if (p.key < 0) return {};
  return DecodeGbk(f.lines[p.key].bytes.mid(p.eq + 1)).trimmed();
}

bool WriteIniString(const QString& file, const QString& section, const QString& key,
                    const QString& value, QString* error) {
  RawFile f = ReadRaw(file);
  Position p = Find(f, section, key);
  const QByteArray encoded = EncodeGbk(value);
  if (p.key >= 0) {
    // Keep the key exactly as the file spells it; replace only the value.
    QByteArray& line = f.lines[p.key].bytes;
    line = line.left(p.eq + 1) + encoded;
  } else {
    RawLine kv{EncodeGbk(key) + '=' + encoded};
    if (p.section < 0) {
      if (!f.lines.empty() && !f.lines.back().bytes.trimmed().isEmpty()) f.lines.push_back({});
      f.lines.push_back({'[' + EncodeGbk(section) + ']'});
      f.lines.push_back(kv);
    } else {
      f.lines.insert(f.lines.begin() + p.section_end, kv);
    }
    f.ends_with_eol = true;
  }

  QByteArray out;
  for (size_t i = 0; i < f.lines.size(); ++i) {
    out += f.lines[i].bytes;
    if (i + 1 < f.lines.size() || f.ends_with_eol) out += f.eol;
  }

  QDir().mkpath(QFileInfo(file).absolutePath());
  return ReplaceFileAtomically(file, out, error);
}

namespace {
constexpr char kIniDateFormat[] = "yyyy-MM-dd HH:mm:ss";
}  // namespace

QString FormatIniDateTime(const QDateTime& value) {
  return value.toString(QLatin1String(kIniDateFormat));
}

QDateTime ParseIniDateTime(const QString& text) {
  return QDateTime::fromString(text.trimmed(), QLatin1String(kIniDateFormat));
}

}  // namespace quilmo
