#include "base/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace quilmo {
namespace {

// One iconv conversion; on an invalid sequence in the input, `on_invalid` decides what to
// emit and the input skips one byte.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Returns the converted bytes; counts the bytes skipped as invalid.
  QByteArray Convert(const QByteArray& in, const QByteArray& replacement, int* invalid) {
    QByteArray out;
    out.reserve(in.size() * 2 + 8);
    char* src = const_cast<char*>(in.constData());
    size_t src_left = static_cast<size_t>(in.size());
    char buffer[1024];
    while (src_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, static_cast<qsizetype>(dst - buffer));
      if (rc != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end): skip one byte and go on.
      ++*invalid;
      out.append(replacement);
      ++src;
      --src_left;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dst_left);
    out.append(buffer, static_cast<qsizetype>(dst - buffer));
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

QString DecodeGbk(const QByteArray& bytes, bool* ok) {
  int invalid = 0;
  Iconv cv("UTF-8", "GB18030");
  QByteArray utf8 = cv.Convert(bytes, QByteArray("\xEF\xBF\xBD"), &invalid);
  if (ok) *ok = invalid == 0;
  return QString::fromUtf8(utf8);
}

QByteArray EncodeGbk(const QString& text) {
  int invalid = 0;
  Iconv cv("GB18030", "UTF-8");
  // Every Unicode scalar has a GB18030 form; only a lone surrogate in the QString can fail.
  return cv.Convert(text.toUtf8(), QByteArray("?"), &invalid);
}

}  // namespace quilmo
