graph [
  node [ label "a" ]
]
