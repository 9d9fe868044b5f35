#include "devices/device_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QSerialPort>
#include <cerrno>
#include <cstring>

#include "devices/device_error.h"

namespace quilmo {
namespace {

QString Failure(const QString& what, const QString& label, const QString& path,
                const QString& reason) {
  return QStringLiteral("%1 %2（%3）：%4").arg(what, label, path, reason);
}

}  // namespace

QString DeviceReason(int error_number) {
  switch (error_number) {
    case ENOENT:
      return QStringLiteral("设备不存在");
    case ENODEV:
    case ENXIO:
      return QStringLiteral("设备没有连接");
    case EACCES:
    case EPERM:
      return QStringLiteral("没有使用该设备的权限");
    case EBUSY:
      return QStringLiteral("设备正被其他程序使用");
    case EIO:
      return QStringLiteral("设备读写出错（可能已断开）");
    case ENOSPC:
      return QStringLiteral("没有存储空间");
    case ETIMEDOUT:
    case EAGAIN:
      return QStringLiteral("设备没有响应");
    default:
      return QString::fromLocal8Bit(std::strerror(error_number));
  }
}

void WriteToDevice(const QString& path, const QByteArray& bytes, const QString& label,
                   int timeout_ms) {
  const QByteArray native = path.toLocal8Bit();
  // Non-blocking, so a printer that stops taking bytes is given up after the timeout instead
  // of hanging the till; O_NOCTTY, so a serial printer port never becomes our terminal.
  // A device node is never created: a printer that is unplugged must fail, not leave a plain
  // file under /dev that swallows every later receipt.
  const bool device_node = path.startsWith(QStringLiteral("/dev/"));
  const int flags =
      O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | (device_node ? 0 : O_CREAT);
  const int fd = ::open(native.constData(), flags, 0644);
  if (fd < 0) {
    throw DeviceError(
        Failure(QStringLiteral("不能打开打印端口"), label, path, DeviceReason(errno)));
  }
  QElapsedTimer clock;
  clock.start();
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0) {
      done += n;
      continue;
    }
    const int err = n < 0 ? errno : EIO;
    if (err == EINTR) continue;
    if (err == EAGAIN) {
      const qint64 left = timeout_ms - clock.elapsed();
      pollfd p{fd, POLLOUT, 0};
      if (left > 0 && ::poll(&p, 1, static_cast<int>(left)) >= 0 &&
          !(p.revents & (POLLERR | POLLHUP))) {
        continue;
      }
      ::close(fd);
      throw DeviceError(Failure(QStringLiteral("写打印端口失败"), label, path,
                                DeviceReason((p.revents & (POLLERR | POLLHUP)) ? EIO : ETIMEDOUT)));
    }
    ::close(fd);
    throw DeviceError(Failure(QStringLiteral("写打印端口失败"), label, path, DeviceReason(err)));
  }
  if (::close(fd) != 0 && errno != EINTR) {
    throw DeviceError(Failure(QStringLiteral("写打印端口失败"), label, path, DeviceReason(errno)));
  }
}

SerialLine::SerialLine() = default;
SerialLine::~SerialLine() = default;

void SerialLine::Open(const QString& path, int baud, const QString& label) {
  Close();
  path_ = path;
  label_ = label;
  baud_ = baud;
  auto port = std::make_unique<QSerialPort>(path);
  const auto fail = [&](const QString& reason) {
    throw DeviceError(Failure(QStringLiteral("不能打开串口"), label, path, reason));
  };
  if (path.isEmpty()) fail(QStringLiteral("没有设置设备"));
  if (!port->open(QIODevice::WriteOnly)) {
    switch (port->error()) {
      case QSerialPort::DeviceNotFoundError:
        fail(DeviceReason(ENOENT));
        break;
      case QSerialPort::PermissionError:
        // Qt reports a port another program holds as a permission error.
        fail(QStringLiteral("没有权限或串口正被其他程序使用"));
        break;
      default:
        fail(port->errorString());
    }
  }
  if (!port->setBaudRate(baud) || !port->setDataBits(QSerialPort::Data8) ||
      !port->setParity(QSerialPort::NoParity) || !port->setStopBits(QSerialPort::OneStop) ||
      !port->setFlowControl(QSerialPort::NoFlowControl)) {
    const QString reason = port->errorString();
    port->close();
    fail(QStringLiteral("不能设置串口参数 %1,n,8,1：%2").arg(baud).arg(reason));
  }
  port_ = std::move(port);
}

bool SerialLine::IsOpen() const { return port_ && port_->isOpen(); }

void SerialLine::Write(const QByteArray& bytes, int timeout_ms) {
  if (!IsOpen()) {
    throw DeviceError(
        Failure(QStringLiteral("串口没有打开"), label_, path_, QStringLiteral("请先初始化设备")));
  }
  if (bytes.isEmpty()) return;
  const auto fail = [&](const QString& reason) {
    Close();
    throw DeviceError(Failure(QStringLiteral("写串口失败"), label_, path_, reason));
  };
  if (port_->write(bytes) != bytes.size()) fail(port_->errorString());
  QElapsedTimer clock;
  clock.start();
  while (port_->bytesToWrite() > 0) {
    const qint64 left = timeout_ms - clock.elapsed();
    if (left <= 0) fail(DeviceReason(ETIMEDOUT));
    if (!port_->waitForBytesWritten(static_cast<int>(left)) && port_->bytesToWrite() > 0) {
      fail(port_->error() == QSerialPort::TimeoutError ? DeviceReason(ETIMEDOUT)
                                                       : port_->errorString());
    }
  }
}

void SerialLine::Close() {
  if (port_) port_->close();
  port_.reset();
}

}  // namespace quilmo
