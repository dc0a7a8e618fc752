// One counter shared by every recording library loaded in a process, so that tests can see
// in which order calls reached different libraries.
extern "C" long RecordingNextSequence() {
  static long next = 0;
  return ++next;
}
