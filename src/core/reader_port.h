#pragma once
// The abstract transport to one reader. Concrete ports live in the transport library.

#include <cstdint>
#include <string>
#include <utility>

#include "core/byte_string.h"
#include "core/interface_type.h"
#include "core/port_error.h"

namespace tessaron {

class ReaderPort {
 public:
  ReaderPort() = default;
  virtual ~ReaderPort() = default;
  ReaderPort(const ReaderPort&) = delete;
  ReaderPort& operator=(const ReaderPort&) = delete;

  // out is emptied, then filled from the version cache or by asking the reader.
  virtual bool GetFirmwareVersion(std::string& out) = 0;
  virtual bool Open(DeviceIndex index) = 0;
  virtual bool OpenPath(const std::string& path) = 0;
  virtual bool Close() = 0;
  virtual void ReleaseDevice() {}
  virtual void SeizeDevice() {}
  // replyLength: capacity of reply on entry, bytes received on return (never more).
  virtual bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                        std::uint32_t* replyLength) = 0;
  virtual InterfaceType GetInterfaceType() const = 0;
  virtual bool IsReady() const = 0;
  virtual std::string GetPortName(std::string& out) const = 0;

  // Why the last Open, OpenPath or Transact failed; kind None after one that succeeded.
  const PortError& LastError() const { return lastError; }

 protected:
  void ClearError() { lastError = PortError{}; }
  void SetError(PortError error) { lastError = std::move(error); }

  // Common steps of GetFirmwareVersion around the per-class open and close.
  // Copies a cached version to out; returns true when it did (nothing is sent then).
  bool TakeCachedVersion(std::string& out) const;
  // Sends the version query on this (open) port; transactOk receives Transact's result.
  // reply must hold VERSION_REPLY_BUFFER_SIZE bytes: it is zero-filled and offered whole;
  // replyLength receives the bytes that came.
  void SendVersionQuery(Byte* reply, std::uint32_t* replyLength, bool* transactOk);
  // Takes the version text out of a reply longer than 4 bytes into the cache; copies the
  // cache to out and returns whether it is not empty.
  bool StoreVersionFromReply(const Byte* reply, std::uint32_t replyLength, std::string& out);

  std::string versionCache;
  PortError lastError;
};

}  // namespace tessaron
