' A method call on a dispatch object in a loop.
Class Counter
  Private total
  Public Sub Add(n)
    total = total + n
  End Sub
  Public Property Get Value
    Value = total
  End Property
  Private Sub Class_Initialize
    total = 0
  End Sub
End Class
Dim c, i
Set c = New Counter
For i = 1 To 1000000
  c.Add i
Next
WScript.Echo c.Value
