graph [
  edge [ source 7 target 8 ]
  node [ id 8 label "eight" ]
  node [ id 7 label "seven" ]
  node [ id 7 label "again" ]
]
