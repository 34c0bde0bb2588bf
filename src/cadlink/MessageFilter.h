// Kestrel's COM message filter on the user-interface thread, registered for the life of the
// main window. Elsewhere than on Windows there is nothing to register.
#pragma once

namespace kestrel::cadlink {

class MessageFilterRegistration {
 public:
  MessageFilterRegistration() = default;
  MessageFilterRegistration(const MessageFilterRegistration&) = delete;
  MessageFilterRegistration& operator=(const MessageFilterRegistration&) = delete;
  ~MessageFilterRegistration() { Revoke(); }

  // Registers the filter, keeping the previous one; again after a Register: nothing.
  void Register();
  // Puts the previous filter back; without a Register: nothing.
  void Revoke();
  bool IsRegistered() const { return filter_ != nullptr; }

 private:
  void* filter_ = nullptr;  // the TMessageFilter on Windows
  bool comInitialised_ = false;
};

}  // namespace kestrel::cadlink
