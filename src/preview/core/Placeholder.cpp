// Keeps the core library non-empty until its first real source lands.
namespace kestrel::preview {}
