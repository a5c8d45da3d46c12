#include "core/message_sink.h"

#include <mutex>
#include <utility>

namespace tessaron {

namespace {
std::mutex& HandlerLock() {
  static std::mutex lock;
  return lock;
}
MessageHandler& Handler() {
  static MessageHandler handler;
  return handler;
}
}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
  std::lock_guard<std::mutex> guard(HandlerLock());
  std::swap(Handler(), handler);
  return handler;
}

void ShowPlatformMessage(const std::string& text, const std::string& caption) {
  MessageHandler handler;
  {
    std::lock_guard<std::mutex> guard(HandlerLock());
    handler = Handler();
  }
  if (handler) handler(text, caption);
}

}  // namespace tessaron
