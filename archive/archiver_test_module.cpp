// A tiny library that the driver-base tests load by name: two entries and nothing else.
extern "C" {
__attribute__((visibility("default"))) int CoreTestAnswer() { return 42; }
__attribute__((visibility("default"))) int CoreTestTwice(int value) { return 2 * value; }
}
