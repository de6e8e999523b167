' Array fill and sort (the same quicksort in both languages).
Dim a(), n, i, seed
n = 200000
ReDim a(n - 1)
seed = 12345
For i = 0 To n - 1
  seed = (seed * 1103 + 12345) Mod 65536
  a(i) = seed
Next
Sub QSort(lo, hi)
  Dim i, j, p, t
  i = lo : j = hi
  p = a((lo + hi) \ 2)
  Do While i <= j
    Do While a(i) < p : i = i + 1 : Loop
    Do While a(j) > p : j = j - 1 : Loop
    If i <= j Then
      t = a(i) : a(i) = a(j) : a(j) = t
      i = i + 1 : j = j - 1
    End If
  Loop
  If lo < j Then QSort lo, j
  If i < hi Then QSort i, hi
End Sub
QSort 0, n - 1
WScript.Echo a(0), a(n \ 2), a(n - 1)
