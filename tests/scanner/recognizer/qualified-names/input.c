Foo::Foo() : a(1), b(2)
{
}

Foo::~Foo()
{
}

int Foo::bar(void) const
{
    return a;
}

std::string describe(const Foo &f)
{
}
Foo::Foo(int x)
    : a(x),
      b(0) {}
