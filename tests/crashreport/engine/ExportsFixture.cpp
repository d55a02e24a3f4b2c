// A library whose exports cover the forms the module readers must read: by name, by ordinal
// only, data, and entries forwarded to other libraries.
extern "C" {
__attribute__((noinline)) int FixtureFirst(int value)
{
    return value + 1;
}
__attribute__((noinline)) int FixtureSecond(int value)
{
    return value * 2;
}
__attribute__((noinline)) int FixtureHidden(int value)
{
    return value - 3;
}
int FixtureData = 42;
}
