graph [
  node [ id 1 ]
  edge [ source 1 ]
]
