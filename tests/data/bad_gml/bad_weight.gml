graph [
  node [ id 1 ]
  edge [ source 1 target 1 weight 1.2.3 ]
]
