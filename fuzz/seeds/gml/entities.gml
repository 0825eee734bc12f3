# a comment line
graph [
  node [ id 1 name "Caf&#233; &amp; Bar &quot;X&quot;" value "c" ]
  node [ id 2 label "tab&#x9;here" data [ nested [ deep 1 ] list "x" ] ]
  edge [ source 1 target 2 weight 2 value 7 directed 1 ]
  edge [ source 2 target 1 ]
]
