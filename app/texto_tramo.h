// What a stream of an update says to the person watching it, the same on every face: its
// percentage, the amount moved of its total, and after its first second the rate and the
// time left (or, once it has ended, the time it took).
#pragma once

#include <string>

namespace z82 {

// One stream of a run: what it carries, what its positions count, how far it went of its
// total and in how long.
struct Tramo_hecho {
    std::string nombre, unidad;
    long long hecho = 0, total = 0;
    double segundos = 0;
    // False when the meter decides how far the stream goes: its total was never due.
    bool total_debido = true;
};

// The stream after its bar moved to posicion of minimo..maximo (maximo above minimo): its
// total, and how far it went. A stream only moves forward: a bar put back to its start at
// the end is not taken.
void Mover_tramo(Tramo_hecho& t, int minimo, int maximo, int posicion);

// 12345678 as "12,345,678".
std::string Cifra(long long n);

// The pieces of a stream's line. final: the stream has ended.
struct Partes_tramo {
    int por_ciento = 0;
    // "10,435/20,870 records"; at the end of a stream whose length the meter decides, what
    // it did without its bound ("52 steps").
    std::string cantidad;
    // "312 records/s" and "0:33 left" (at the end: "done in 1:07"); both empty until the
    // stream has run a second and moved.
    std::string ritmo, tiempo;
};
Partes_tramo Partes_de_tramo(const Tramo_hecho& t, bool final);

// The stream as a window shows it under its bar, in two lines: "main firmware  50%" and
// "10,435/20,870 records  312 records/s  0:33 left". Empty for a stream without a total.
std::string Texto_tramo(const Tramo_hecho& t, bool final);

}  // namespace z82
