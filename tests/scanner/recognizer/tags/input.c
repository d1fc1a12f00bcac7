struct S { int x; };
union U { int x; };
enum { A, B };
enum Color { RED, GREEN };
struct Point {
    int x, y;
} origin;
class Shape : public Base {
public:
    virtual ~Shape();
};
struct Fwd;
struct
Spaced
{
}
;
