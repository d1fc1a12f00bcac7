template <class T>
T maxOf(T a, T b)
{
    return a > b ? a : b;
}

template <>
int maxOf<int>(int a, int b)
{
}

template <typename K, typename V>
V Map<K, V>::lookup(const K &key) const
{
}

template <class T> class Stack {
    T items[8];
};
