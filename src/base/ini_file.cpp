#include "base/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "base/gbk.h"

namespace quilmo {
namespace {

// The file is kept as its raw bytes and the spans of its lines, so that whatever a write does
// not change stays byte-identical (even lines that are not valid GBK), and a large file costs
// its own size in memory, not a string object per line.
struct Span {
  qsizetype start = 0;
  qsizetype size = 0;  // without the line end
};

struct KeyAt {
  int line = -1;
  qsizetype eq = -1;
};

struct SectionAt {
  QString name;     // as the file spells it
  int header = -1;  // index of the header line
  int end = 0;      // index after the last non-blank line of the section
  std::vector<QString> key_order;
  QHash<QString, KeyAt> keys;  // lower-case key -> its first line
};

struct RawFile {
  bool exists = false;
  QByteArray all;
  std::vector<Span> lines;
  QByteArray eol = "\n";
  bool ends_with_eol = true;
  // The first section of each name (lower case); later ones of the same name do not count.
  QHash<QString, SectionAt> sections;

  QByteArray Line(int i) const { return all.mid(lines[i].start, lines[i].size); }
};

// "[Name]" -> Name (trimmed); empty when the line is not a section header.
QString SectionName(QByteArrayView line) {
  QByteArrayView t = line.trimmed();
  if (t.size() < 2 || t.front() != '[') return {};
  const qsizetype close = t.indexOf(']');
  if (close < 0) return {};
  return DecodeGbk(t.sliced(1, close - 1).toByteArray()).trimmed();
}

bool IsComment(QByteArrayView line) {
  QByteArrayView t = line.trimmed();
  return t.startsWith(';') || t.startsWith('#');
}

RawFile ReadRaw(const QString& path) {
  RawFile f;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return f;
  f.exists = true;
  f.all = file.readAll();
  const QByteArray& all = f.all;
  if (all.contains("\r\n")) f.eol = "\r\n";
  f.ends_with_eol = all.isEmpty() || all.endsWith('\n');
  qsizetype start = 0;
  while (start < all.size()) {
    const qsizetype nl = all.indexOf('\n', start);
    const qsizetype end = nl < 0 ? all.size() : nl;
    qsizetype size = end - start;
    if (size > 0 && all[end - 1] == '\r') --size;
    f.lines.push_back({start, size});
    if (nl < 0) break;
    start = nl + 1;
  }

  SectionAt* current = nullptr;
  for (int i = 0; i < static_cast<int>(f.lines.size()); ++i) {
    const QByteArrayView line(all.constData() + f.lines[i].start, f.lines[i].size);
    const QString name = SectionName(line);
    if (!name.isEmpty()) {
      const QString lower = name.toLower();
      if (f.sections.contains(lower)) {
        current = nullptr;  // the first section of a name is the one that counts
      } else {
        current = &f.sections[lower];
        current->name = name;
        current->header = i;
        current->end = i + 1;
      }
      continue;
    }
    if (!current) continue;
    if (!line.trimmed().isEmpty()) current->end = i + 1;
    if (IsComment(line)) continue;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) continue;
    const QString key = DecodeGbk(line.first(eq).toByteArray()).trimmed().toLower();
    if (key.isEmpty() || current->keys.contains(key)) continue;
    current->keys.insert(key, {i, eq});
  }
  return f;
}

bool IsBlank(QChar c) { return c.isSpace(); }

// The stored text of a value: quoted when blanks at its ends, or quotes around it, would
// otherwise be lost on reading.
QString Stored(const QString& value) {
  if (value.isEmpty()) return value;
  const bool quoted =
      value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"');
  if (IsBlank(value.front()) || IsBlank(value.back()) || quoted) {
    return QLatin1Char('"') + value + QLatin1Char('"');
  }
  return value;
}

QString ValueOf(QByteArrayView stored) {
  QString text = DecodeGbk(stored.toByteArray()).trimmed();
  if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"')) {
    text = text.mid(1, text.size() - 2);
  }
  return text;
}

bool NameAllowed(const QString& name) {
  if (name.trimmed().isEmpty() || name.trimmed() != name) return false;
  for (QChar c : name) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar() || c == QLatin1Char('=') ||
        c == QLatin1Char('[') || c == QLatin1Char(']')) {
      return false;
    }
  }
  return true;
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
  // The file holds the server password: its owner alone may read it, whatever the mode of an
  // older copy or the process's umask.
  constexpr mode_t kOwnerOnly = 0600;

  int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kOwnerOnly);
  if (fd < 0) return fail(QStringLiteral("cannot create ") + QFile::decodeName(temp));
  auto abandon = [&](const QString& what) {
    const int saved = errno;
    ::close(fd);
    ::unlink(temp.constData());
    errno = saved;
    return fail(what);
  };
  if (::fchmod(fd, kOwnerOnly) != 0) return abandon(QStringLiteral("cannot protect ") + path);
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return abandon(QStringLiteral("cannot write ") + path);
    }
    p += n;
    left -= n;
  }
  if (::fsync(fd) != 0) return abandon(QStringLiteral("cannot flush ") + path);
  if (::close(fd) != 0) {
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

IniSnapshot IniSnapshot::Read(const QString& file) {
  IniSnapshot snapshot;
  const RawFile f = ReadRaw(file);
  snapshot.exists_ = f.exists;
  for (auto s = f.sections.begin(); s != f.sections.end(); ++s) {
    for (auto k = s->keys.begin(); k != s->keys.end(); ++k) {
      const Span& span = f.lines[k->line];
      snapshot.values_.insert(s.key() + QLatin1Char('\n') + k.key(),
                              ValueOf(QByteArrayView(f.all.constData() + span.start + k->eq + 1,
                                                     span.size - k->eq - 1)));
    }
  }
  return snapshot;
}

QString IniSnapshot::Value(const QString& section, const QString& key) const {
  return values_.value(section.toLower() + QLatin1Char('\n') + key.toLower());
}

QString ReadIniString(const QString& file, const QString& section, const QString& key) {
  return IniSnapshot::Read(file).Value(section, key);
}

bool IniValueAllowed(const QString& value) {
  for (QChar c : value) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar()) return false;
  }
  return true;
}

bool WriteIniStrings(const QString& file, const std::vector<IniEntry>& entries, QString* error) {
  for (const IniEntry& e : entries) {
    if (!NameAllowed(e.section) || !NameAllowed(e.key)) {
      if (error) *error = QStringLiteral("invalid settings name [%1] %2").arg(e.section, e.key);
      return false;
    }
    if (!IniValueAllowed(e.value)) {
      if (error) {
        *error = QStringLiteral("the value of [%1] %2 holds a line break").arg(e.section, e.key);
      }
      return false;
    }
  }
  const RawFile f = ReadRaw(file);

  // Edits against the lines as read: a replaced line, lines added at the end of a section,
  // and new sections at the end of the file. A key given twice takes its last value.
  std::map<int, QByteArray> replaced;
  std::map<int, std::vector<QByteArray>> added_before;  // before line index (size = at the end)
  std::vector<std::pair<QString, std::vector<QByteArray>>> new_sections;
  std::vector<IniEntry> last_values;
  for (const IniEntry& e : entries) {
    bool seen = false;
    for (IniEntry& earlier : last_values) {
      if (earlier.section.compare(e.section, Qt::CaseInsensitive) == 0 &&
          earlier.key.compare(e.key, Qt::CaseInsensitive) == 0) {
        earlier.value = e.value;
        seen = true;
      }
    }
    if (!seen) last_values.push_back(e);
  }
  for (const IniEntry& e : last_values) {
    const QByteArray encoded = EncodeGbk(Stored(e.value));
    const QString section = e.section.toLower();
    const auto s = f.sections.constFind(section);
    if (s != f.sections.constEnd()) {
      const auto k = s->keys.constFind(e.key.toLower());
      if (k != s->keys.constEnd()) {
        // Keep the key exactly as the file spells it; replace only the value.
        replaced[k->line] = f.all.mid(f.lines[k->line].start, k->eq + 1) + encoded;
      } else {
        added_before[s->end].push_back(EncodeGbk(e.key) + '=' + encoded);
      }
      continue;
    }
    auto it = std::find_if(new_sections.begin(), new_sections.end(), [&](const auto& n) {
      return n.first.compare(e.section, Qt::CaseInsensitive) == 0;
    });
    if (it == new_sections.end()) {
      new_sections.push_back({e.section, {}});
      it = std::prev(new_sections.end());
    }
    it->second.push_back(EncodeGbk(e.key) + '=' + encoded);
  }

  QByteArray out;
  out.reserve(f.all.size() + 256);
  std::vector<QByteArray> tail;  // lines after the last original line
  const int count = static_cast<int>(f.lines.size());
  // A file that gains lines ends with a line end, as every line added has one.
  const bool added = !added_before.empty() || !new_sections.empty();
  for (int i = 0; i < count; ++i) {
    if (const auto a = added_before.find(i); a != added_before.end()) {
      for (const QByteArray& line : a->second) out += line + f.eol;
    }
    const auto r = replaced.find(i);
    out += r != replaced.end() ? r->second : f.Line(i);
    if (i + 1 < count || f.ends_with_eol || added) out += f.eol;
  }
  if (const auto a = added_before.find(count); a != added_before.end()) tail = a->second;
  if (!new_sections.empty()) {
    const bool last_blank = count == 0 || f.Line(count - 1).trimmed().isEmpty();
    if (!tail.empty() || !last_blank) tail.push_back({});
    for (size_t n = 0; n < new_sections.size(); ++n) {
      if (n > 0) tail.push_back({});
      tail.push_back('[' + EncodeGbk(new_sections[n].first) + ']');
      for (QByteArray& line : new_sections[n].second) tail.push_back(std::move(line));
    }
  }
  for (const QByteArray& line : tail) out += line + f.eol;

  QDir().mkpath(QFileInfo(file).absolutePath());
  return ReplaceFileAtomically(file, out, error);
}

void ProtectIniFile(const QString& file) {
  const QByteArray path = QFile::encodeName(file);
  struct stat st {};
  if (::stat(path.constData(), &st) == 0 && (st.st_mode & 077) != 0) {
    ::chmod(path.constData(), st.st_mode & 0700);
  }
}

bool WriteIniString(const QString& file, const QString& section, const QString& key,
                    const QString& value, QString* error) {
  return WriteIniStrings(file, {{section, key, value}}, error);
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
